// Paint of the acceleration chart with three series of 18,000 points (an
// hour of track at 5 records a second), into an image of the chart's size
// in the main window and of a wide window, against a baseline in the same
// run: the same background fill and three bare QPainter polylines of the
// same points, already in pixels. Target: the chart at most 2 times the
// baseline. Also the UI thread's cost of one batch of 64 records arriving
// while the chart holds the hour (append and both range fits), which must
// stay far below a video frame.
#include "bench/RatioReporter.h"
#include "chart/AxisLayout.h"
#include "chart/CAccelerationFeed.h"
#include "chart/CTreskChartUI.h"
#include "chart/ChartColor.h"
#include "track/TrackStore.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kHourRecords = 18000;
constexpr int kHeight = 164;
const char* const INSET = "40,12,14,12";
constexpr int kInsetLeft = 40, kInsetTop = 12, kInsetRight = 14, kInsetBottom = 12;

// A drive's worth of sensor values: rest at 2000 with vibration and slow
// swings, different on each axis.
TrackRecord sampleAt(int i) {
    TrackRecord r;
    r.valid = true;
    r.accelX = static_cast<int32_t>(2000 + 120 * std::sin(i * 0.013) + 25 * std::sin(i * 2.1));
    r.accelY = static_cast<int32_t>(2000 + 90 * std::sin(i * 0.007 + 1) + 20 * std::sin(i * 3.7));
    r.accelZ = static_cast<int32_t>(2333 + 40 * std::sin(i * 5.3) + 15 * std::sin(i * 1.3));
    return r;
}

TrackStore& hourStore() {
    static TrackStore store;
    static const bool filled = [] {
        for (int i = 0; i < kHourRecords; ++i) {
            const TrackRecord r = sampleAt(i);
            store.add(&r);
        }
        for (int32_t page = 0; page <= store.getCurrentPage(); ++page)
            store.publishPage(store.generation(), page, [](TrackPage&) { return true; });
        return true;
    }();
    (void)filled;
    return store;
}

struct HourChart {
    CTreskChartUI chart;
    CAccelerationFeed feed;

    explicit HourChart(int width) {
        chart.resize(width, kHeight);
        chart.SetAttribute("inset", INSET);
        chart.SetAttribute("bkcolor", "#FF171A20");
        chart.SetAttribute("bkcolor2", "#FF0F1115");
        feed.Setup(&chart, 0, 4000);
        TrackStore& store = hourStore();
        store.setShownPages(0);
        feed.AppendNewPages(store, store.getReadyPages());
    }
};

void BM_ChartPaint(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    HourChart hour(width);
    QImage image(width, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        hour.chart.Paint(painter, image.rect());
    }
    state.SetItemsProcessed(state.iterations() * 3 * kHourRecords);
}
BENCHMARK(BM_ChartPaint)->Arg(532)->Arg(1600)->Unit(benchmark::kMillisecond);

void BM_BarePolyline(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    HourChart hour(width);
    // The same points in the same pixels, computed once outside the loop.
    const AxisScale xs = hour.chart.GetXScale();
    const AxisScale ys = hour.chart.GetYScale(0);
    const int left = kInsetLeft, right = width - kInsetRight, top = kInsetTop, bottom = kHeight - kInsetBottom;
    const double xDiv = std::pow(10.0, xs.exponent), yDiv = std::pow(10.0, ys.exponent);
    std::vector<std::vector<QPointF>> lines;
    std::vector<QPen> pens;
    for (int c = 0; c < hour.chart.GetCurveCount(); ++c) {
        const CCurve& curve = *hour.chart.GetCurve(c);
        std::vector<QPointF> points;
        for (size_t i = 0; i < curve.PointCount(); ++i) {
            const double x = curve.XValues()[i] / xDiv, y = curve.YValues()[i] / yDiv;
            points.emplace_back(left + (x - xs.displayMin) * (right - left) / (xs.displayMax - xs.displayMin),
                                bottom - (y - ys.displayMin) * (bottom - top) / (ys.displayMax - ys.displayMin));
        }
        lines.push_back(std::move(points));
        pens.push_back(ChartColor::pen(curve.GetColor(), curve.GetPenWidth(), curve.GetPenStyle()));
    }
    QImage image(width, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), QColor(0x17, 0x1a, 0x20));
        for (size_t c = 0; c < lines.size(); ++c) {
            painter.setPen(pens[c]);
            painter.drawPolyline(lines[c].data(), static_cast<int>(lines[c].size()));
        }
    }
    state.SetItemsProcessed(state.iterations() * 3 * kHourRecords);
}
BENCHMARK(BM_BarePolyline)->Arg(532)->Arg(1600)->Unit(benchmark::kMillisecond);

// One batch arriving after 281 pages: the UI thread appends 64 records to
// each series and fits both ranges over all 18,000 points.
void BM_AppendBatchToAnHour(benchmark::State& state) {
    HourChart hour(532);
    TrackStore& store = hourStore();
    const int32_t ready = store.getReadyPages();
    for (auto _ : state) {
        state.PauseTiming();
        hour.feed.Reset();
        store.setShownPages(0);
        hour.feed.AppendNewPages(store, ready - 1);
        store.setShownPages(ready - 1);
        state.ResumeTiming();
        hour.feed.AppendNewPages(store, ready);
    }
}
BENCHMARK(BM_AppendBatchToAnHour)->Unit(benchmark::kMicrosecond)->Iterations(200);


}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* width : {"532", "1600"}) {
        const auto chart = reporter.times.find(std::string("BM_ChartPaint/") + width);
        const auto bare = reporter.times.find(std::string("BM_BarePolyline/") + width);
        if (chart == reporter.times.end() || bare == reporter.times.end()) continue;
        const auto [chartReal, chartCpu] = chart->second;
        const auto [bareReal, bareCpu] = bare->second;
        if (bareReal <= 0 || bareCpu <= 0) continue;
        // CPU time is the steadier figure on a busy machine.
        std::printf(
            "width %s: chart %.2f ms, bare polylines %.2f ms, ratio %.2f (CPU: %.2f / %.2f ms, %.2f); "
            "target <= 2\n",
            width, chartReal, bareReal, chartReal / bareReal, chartCpu, bareCpu, chartCpu / bareCpu);
    }
    benchmark::Shutdown();
    return 0;
}
