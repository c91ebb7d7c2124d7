// The feed from the track store into the chart: time line, ranges, reset,
// and set-up on another thread while the UI thread paints and feeds.
#include "support/ChartImage.h"
#include "chart/CAccelerationFeed.h"
#include "chart/CTreskChartUI.h"
#include "chart/ChartColor.h"
#include "track/TrackStore.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace {

TrackRecord sample(int32_t x, int32_t y, int32_t z, bool valid = true) {
    TrackRecord r;
    r.valid = valid;
    r.accelX = x;
    r.accelY = y;
    r.accelZ = z;
    return r;
}

// Adds the records and publishes every page they touch, as a run does.
void publish(TrackStore& store, const std::vector<TrackRecord>& records) {
    for (const TrackRecord& r : records) ASSERT_TRUE(store.add(&r));
    const int32_t last =
        store.getPage(store.getCurrentPage())->count() > 0 ? store.getCurrentPage() : store.getCurrentPage() - 1;
    for (int32_t page = store.getReadyPages(); page <= last; ++page)
        ASSERT_EQ(store.publishPage(store.generation(), page, [](TrackPage&) { return true; }), 1);
}

std::vector<TrackRecord> steady(int count, int32_t value = 2000) {
    return std::vector<TrackRecord>(static_cast<size_t>(count), sample(value, value, value));
}

// What the main window does on a batch: the views draw, then shownPages moves.
void batchReady(CAccelerationFeed& feed, TrackStore& store) {
    const int32_t ready = store.getReadyPages();
    feed.AppendNewPages(store, ready);
    store.setShownPages(ready);
}

class AccelerationFeed : public ::testing::Test {
protected:
    void SetUp() override {
        chart.resize(400, 160);
        chart.SetAttribute("inset", "40,10,10,10");
        feed.Setup(&chart, 0, 4000);
    }
    CCurve& curve(const char* name) { return *chart.FindCurve(name); }

    CTreskChartUI chart;
    CAccelerationFeed feed;
    TrackStore store;
};

}  // namespace

TEST_F(AccelerationFeed, ClipWithoutReadingsDrawsNoLineAndSaysSo) {
    ASSERT_TRUE(chart.IsConfigured());
    chart.SetNoDataText("No G-sensor data in this clip");
    TrackRecord noSensor = sample(4000, 4000, 4000);
    noSensor.hasAccel = false;
    publish(store, {sample(4000, 4000, 4000, false), noSensor});
    batchReady(feed, store);
    EXPECT_NEAR(feed.NextTime(), 0.4, 1e-9);
    EXPECT_TRUE(chart.ShowsNoData());
    const QImage image = chart_test::render(chart);
    EXPECT_GT(chart_test::countColor(image, Qt::white, QRect(40, 10, 1, 100)), 90);
    EXPECT_GT(chart_test::countColor(image, Qt::white, QRect(60, 60, 310, 30)), 20);  // the note
    for (const uint32_t c : {0x0000FFu, 0x00FF00u, 0x00FFFFu})
        EXPECT_EQ(chart_test::countColor(image, ChartColor::fromColorRef(c), image.rect()), 0);

    publish(store, steady(1));
    batchReady(feed, store);
    EXPECT_FALSE(chart.ShowsNoData());
    feed.Reset();
    EXPECT_FALSE(chart.ShowsNoData());
}

TEST_F(AccelerationFeed, TimeAxisStaysAtSixteenSecondsUntilASampleGoesBeyond) {
    publish(store, steady(81));
    batchReady(feed, store);
    ASSERT_EQ(curve("XAcceleration").PointCount(), 81u);
    EXPECT_NEAR(curve("ZAcceleration").XValues().back(), 16.0, 1e-9);
    EXPECT_EQ(chart.GetXScale().rawMax, 16.0);

    publish(store, steady(1));
    batchReady(feed, store);
    EXPECT_NEAR(chart.GetXScale().rawMax, 16.2, 1e-9);
    EXPECT_EQ(chart.GetXScale().rawMin, 0.0);
}

TEST_F(AccelerationFeed, EveryRecordTakesTimeButOnlyValidOnesArePoints) {
    std::vector<TrackRecord> records;
    for (int i = 0; i < 10; ++i) records.push_back(sample(i, -i, 2 * i, i % 3 != 1));
    publish(store, records);
    batchReady(feed, store);
    const CCurve& x = curve("XAcceleration");
    const CCurve& y = curve("YAcceleration");
    const CCurve& z = curve("ZAcceleration");
    ASSERT_EQ(x.PointCount(), 7u);
    const std::vector<int> kept = {0, 2, 3, 5, 6, 8, 9};
    for (size_t k = 0; k < kept.size(); ++k) {
        EXPECT_NEAR(x.XValues()[k], kept[k] * 0.2, 1e-9);
        EXPECT_EQ(x.YValues()[k], kept[k]);
        EXPECT_EQ(y.YValues()[k], -kept[k]);
        EXPECT_EQ(z.YValues()[k], 2 * kept[k]);
    }
    EXPECT_NEAR(feed.NextTime(), 2.0, 1e-9);
}

TEST_F(AccelerationFeed, BatchesContinueOneTimeLine) {
    publish(store, steady(64));
    batchReady(feed, store);
    publish(store, steady(64, 2100));
    batchReady(feed, store);
    const CCurve& x = curve("XAcceleration");
    ASSERT_EQ(x.PointCount(), 128u);  // page 0 was not charted twice
    EXPECT_NEAR(x.XValues()[64] - x.XValues()[63], 0.2, 1e-9);
    EXPECT_EQ(x.YValues()[64], 2100);

    // A page published while the views draw is left for the next batch.
    publish(store, steady(64));
    publish(store, steady(64));
    feed.AppendNewPages(store, 3);
    store.setShownPages(3);
    EXPECT_EQ(x.PointCount(), 192u);
    batchReady(feed, store);
    EXPECT_EQ(x.PointCount(), 256u);
}

TEST_F(AccelerationFeed, SensorAxisWidensOnlyWhenAValueLeavesIt) {
    std::vector<TrackRecord> records = {sample(0, 4000, 2000), sample(1500, 3999, 1), sample(2000, 2000, 2000)};
    publish(store, records);
    batchReady(feed, store);
    EXPECT_EQ(chart.GetYScale(0).rawMin, 0.0);
    EXPECT_EQ(chart.GetYScale(0).rawMax, 4000.0);

    publish(store, {sample(2000, 4100, 2000)});
    batchReady(feed, store);
    EXPECT_DOUBLE_EQ(chart.GetYScale(0).rawMin, -512.5);
    EXPECT_DOUBLE_EQ(chart.GetYScale(0).rawMax, 4612.5);
}

TrackRecord at(int second, int millisecond) {
    TrackRecord r = sample(2000, 2000, 2000);
    r.year = 2026;
    r.month = 12;
    r.day = 9;
    r.hour = 23;
    r.minute = 59;
    r.second = static_cast<uint8_t>(second % 60);
    if (second >= 60) r.day = 10, r.hour = 0, r.minute = 0;  // across midnight
    r.millisecond = static_cast<uint16_t>(millisecond);
    return r;
}

// The axis is the clip's time: a 10-a-second clip, a 1-a-second one after
// it, a clock of whole seconds written five times a second, and a clock that
// leaps back; each clip's axis starts anew.
TEST_F(AccelerationFeed, TimeAxisIsTheTimeInEachClip) {
    std::vector<TrackRecord> tenHz;
    for (int i = 0; i < 300; ++i) tenHz.push_back(at(30 + i / 10, (i % 10) * 100));
    publish(store, tenHz);
    batchReady(feed, store);
    EXPECT_NEAR(curve("XAcceleration").XValues().back(), 29.9, 1e-6);
    EXPECT_NEAR(chart.GetXScale().rawMax, 29.9, 1e-6);

    feed.Reset();
    store.clear();
    for (const char* name : {"XAcceleration", "YAcceleration", "ZAcceleration"})
        EXPECT_EQ(curve(name).PointCount(), 0u);
    EXPECT_EQ(chart.GetXScale().rawMax, 16.0);
    std::vector<TrackRecord> oneHz;
    for (int i = 0; i < 20; ++i) oneHz.push_back(at(50 + i, 0));
    publish(store, oneHz);
    batchReady(feed, store);
    EXPECT_NEAR(curve("XAcceleration").XValues()[12], 12.0, 1e-9);  // past midnight
    EXPECT_NEAR(chart.GetXScale().rawMax, 19.0, 1e-9);

    feed.Reset();
    store.clear();
    std::vector<TrackRecord> wholeSeconds;
    for (int i = 0; i < 15; ++i) wholeSeconds.push_back(at(10 + i / 5, 0));
    wholeSeconds.push_back(at(5, 0));  // the clock leaps back: one step on
    publish(store, wholeSeconds);
    batchReady(feed, store);
    const std::vector<double>& x = curve("XAcceleration").XValues();
    EXPECT_NEAR(x[4], 0.8, 1e-9);
    EXPECT_NEAR(x[5], 1.0, 1e-9);
    EXPECT_NEAR(x[14], 2.8, 1e-9);
    EXPECT_NEAR(x[15], 3.0, 1e-9);
}

TEST(AccelerationFeedWithoutChart, DoesNothing) {
    CAccelerationFeed feed;
    TrackStore store;
    publish(store, steady(64));
    feed.Setup(nullptr, 0, 4000);
    feed.AppendNewPages(store, store.getReadyPages());
    EXPECT_EQ(feed.NextTime(), 0.0);
    feed.Reset();
}

// Set-up runs on the start-up thread while the UI thread already paints and
// handles batches: run under ThreadSanitizer this shows any value the two
// threads share without the series lock.
TEST(AccelerationFeedThreads, SetupOnAnotherThreadRacesNothing) {
    for (int round = 0; round < 20; ++round) {
        CTreskChartUI chart;
        chart.resize(300, 120);
        chart.SetAttribute("inset", "40,10,10,10");
        CAccelerationFeed feed;
        TrackStore store;
        publish(store, steady(200, 2500));
        QImage image(chart.size(), QImage::Format_ARGB32);

        std::atomic<bool> done{false};
        std::thread startup([&] {
            feed.Setup(&chart, 0, 4000);
            done.store(true);
        });
        bool fed = false;
        while (!done.load() || !fed) {
            {
                QPainter painter(&image);
                chart.Paint(painter, image.rect());
            }
            // Configured is set after the series exist: this round's batch lands.
            const bool configured = chart.IsConfigured();
            feed.Reset();
            feed.AppendNewPages(store, store.getReadyPages());
            fed = configured;
        }
        startup.join();
        QCoreApplication::processEvents();  // the repaint request queued by the start-up thread

        ASSERT_EQ(chart.GetCurveCount(), 3);
        EXPECT_EQ(chart.FindCurve("XAcceleration")->PointCount(), 200u);
        EXPECT_NEAR(chart.FindCurve("YAcceleration")->XValues().back(), 199 * 0.2, 1e-9);
    }
}
