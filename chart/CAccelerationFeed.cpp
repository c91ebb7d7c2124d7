#include "chart/CAccelerationFeed.h"

#include "chart/CTreskChartUI.h"
#include "chart/NewRecords.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct AxisSeries {
    const char* name;
    uint32_t colorRef;
};

// Red, green and yellow on the chart's dark plot.
constexpr std::array<AxisSeries, 3> SERIES = {{
    {"XAcceleration", 0x0000FF},
    {"YAcceleration", 0x00FF00},
    {"ZAcceleration", 0x00FFFF},
}};

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr double kInitialSeconds = 16.0;

}  // namespace

void CAccelerationFeed::Setup(CTreskChartUI* chart, double yMin, double yMax) {
    if (!chart) return;
    chart_.store(chart, std::memory_order_release);
    {
        const auto lock = chart->LockSeries();
        chart->SetUnit("G");
        chart->SetYColor(0, kWhite);
        chart->SetFrameColor(kWhite);
        chart->SetFramePenWidth(2);
        chart->SetYRange(0, yMin, yMax);
        chart->SetXRange(0.0, kInitialSeconds);
        chart->SetXMinorTicks(true);
        for (const AxisSeries& s : SERIES) {
            CCurve* curve = chart->GetCurve(chart->AddCurve(s.name, 0));
            if (!curve) continue;
            curve->SetColor(s.colorRef);
            curve->SetPenWidth(1);
            curve->SetPenStyle(CCurve::PS_SOLID);
        }
        // Last, and under the lock: a paint either sees nothing or all of it.
        chart->SetConfigured(true);
    }
    chart->Invalidate();
}

void CAccelerationFeed::AppendNewPages(const TrackStore& store, int32_t readyPages) {
    CTreskChartUI* chart = chart_.load(std::memory_order_acquire);
    if (!chart) return;
    {
        const auto lock = chart->LockSeries();
        std::array<CCurve*, 3> curves{};
        for (size_t i = 0; i < SERIES.size(); ++i) {
            curves[i] = chart->FindCurve(SERIES[i].name);
            if (!curves[i]) return;
        }
        forEachNewRecord(store, readyPages, timeline_, [&](const TrackRecord& r, double time) {
            sawRecords_ = true;
            if (r.valid && r.hasAccel) {
                sawReading_ = true;
                curves[0]->AddPoint(time, r.accelX);
                curves[1]->AddPoint(time, r.accelY);
                curves[2]->AddPoint(time, r.accelZ);
            } else if (r.valid && curves[0]->PointCount() > 0 && std::isfinite(curves[0]->YValues().back())) {
                // A moment without a reading after some: a gap in the line (a
                // point without a value draws no segment), not a drop to zero
                // or a bridge across it.
                for (CCurve* curve : curves) curve->AddPoint(time, kNoReading);
            }
        });
        chart->SetShowNoData(sawRecords_ && !sawReading_);
        chart->FitXRangeToData();
        chart->FitYRangeToData(0, kYFill);
    }
    chart->Invalidate();
}

void CAccelerationFeed::Reset() {
    timeline_.reset();
    sawRecords_ = false;
    sawReading_ = false;
    CTreskChartUI* chart = chart_.load(std::memory_order_acquire);
    if (!chart) return;
    {
        const auto lock = chart->LockSeries();
        for (const AxisSeries& s : SERIES) {
            if (CCurve* curve = chart->FindCurve(s.name)) curve->ClearPoints();
        }
        // The next clip's axis is its own: a short clip after a long one fills the chart.
        chart->SetXRange(0.0, kInitialSeconds);
        chart->SetShowNoData(false);
    }
    chart->Invalidate();
}
