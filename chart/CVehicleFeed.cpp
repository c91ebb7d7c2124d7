#include "chart/CVehicleFeed.h"

#include "chart/CTreskChartUI.h"
#include "chart/NewRecords.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

struct Series {
    const char* name;
    uint32_t colorRef;
};

// Cyan, magenta and orange, apart from the G axes' red, green and yellow.
constexpr std::array<Series, 3> kSeries = {{
    {"Speed", 0xFFFF00},
    {"Pedal", 0xFF00FF},
    {"Brake", 0x0080FF},
}};

constexpr std::array<const char*, 3> kGSeries = {"XAcceleration", "YAcceleration", "ZAcceleration"};
constexpr double kNoReading = std::numeric_limits<double>::quiet_NaN();
constexpr double kFill = 0.9;
constexpr double kRound = 50.0;
constexpr uint32_t kWhite = 0xFFFFFF;

}  // namespace

void CVehicleFeed::Setup(CTreskChartUI* chart, ChartShows shows) {
    if (!chart) return;
    {
        const auto lock = chart->LockSeries();
        chart->SetYRange(kSlot, 0.0, std::ceil(kBrakeOn / kFill / kRound) * kRound);
        chart->SetYColor(kSlot, kWhite);
        chart->SetYUnit(kSlot, "");  // km/h and % on one scale
        for (const Series& s : kSeries) {
            CCurve* curve = chart->GetCurve(chart->AddCurve(s.name, kSlot));
            if (!curve) continue;
            curve->SetColor(s.colorRef);
            curve->SetPenWidth(1);
        }
    }
    chart_.store(chart, std::memory_order_release);
    Show(shows);
}

void CVehicleFeed::Show(ChartShows shows) {
    shows_.store(shows);
    CTreskChartUI* chart = chart_.load(std::memory_order_acquire);
    if (!chart) return;
    {
        const auto lock = chart->LockSeries();
        const auto style = [](bool shown) { return shown ? CCurve::PS_SOLID : CCurve::PS_NULL; };
        for (const char* name : kGSeries)
            if (CCurve* curve = chart->FindCurve(name)) curve->SetPenStyle(style(showsGSensor(shows)));
        for (const Series& s : kSeries)
            if (CCurve* curve = chart->FindCurve(s.name)) curve->SetPenStyle(style(showsCar(shows)));
        // One scale is labelled, at the left: the G's while they are drawn, else the car's.
        chart->SetYAxisShown(0, showsGSensor(shows), -1);
        chart->SetYAxisShown(kSlot, !showsGSensor(shows), -1);
    }
    chart->Invalidate();
}

void CVehicleFeed::AppendNewPages(const TrackStore& store, int32_t readyPages) {
    CTreskChartUI* chart = chart_.load(std::memory_order_acquire);
    if (!chart) return;
    {
        const auto lock = chart->LockSeries();
        std::array<CCurve*, 3> curves{};
        for (size_t i = 0; i < kSeries.size(); ++i) {
            curves[i] = chart->FindCurve(kSeries[i].name);
            if (!curves[i]) return;
        }
        forEachNewRecord(store, readyPages, timeline_, [&](const TrackRecord& r, double time) {
            if (r.valid && r.vehicle) {
                if (r.hasSpeed) top_ = std::max(top_, static_cast<double>(r.speed));
                curves[0]->AddPoint(time, r.hasSpeed ? r.speed : kNoReading);
                curves[1]->AddPoint(time, r.vehicle->acceleratorPct.value_or(kNoReading));
                curves[2]->AddPoint(time, r.vehicle->brake ? (*r.vehicle->brake ? kBrakeOn : 0.0) : kNoReading);
            } else if (r.valid && curves[0]->PointCount() > 0) {
                for (CCurve* curve : curves) curve->AddPoint(time, kNoReading);
            }
        });
        // From 0, to a round figure above the fastest speed (at least the pedal's 100).
        chart->SetYRange(kSlot, 0.0, std::ceil(top_ / kFill / kRound) * kRound);
    }
    chart->Invalidate();
}

void CVehicleFeed::Reset() {
    timeline_.reset();
    top_ = kBrakeOn;
    CTreskChartUI* chart = chart_.load(std::memory_order_acquire);
    if (!chart) return;
    {
        const auto lock = chart->LockSeries();
        for (const Series& s : kSeries)
            if (CCurve* curve = chart->FindCurve(s.name)) curve->ClearPoints();
        chart->SetYRange(kSlot, 0.0, std::ceil(kBrakeOn / kFill / kRound) * kRound);
    }
    chart->Invalidate();
}
