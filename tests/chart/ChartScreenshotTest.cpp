// The chart as the player shows it: configured by the feed, on the dark
// theme, with a minute and a quarter of a drive (pulling away, a left and a
// right turn, braking hard, a pothole). Writes chart.png for the docs and
// checks that all three axes and the labels are visible.
#include "support/ChartImage.h"
#include "chart/CAccelerationFeed.h"
#include "chart/CTreskChartUI.h"
#include "chart/ChartColor.h"
#include "track/TrackStore.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <cmath>

namespace {

// Sensor units: 2000 is rest, about 333 a G.
constexpr double kRest = 2000;
constexpr double G = 1000.0 / 3.0;

double bump(double t, double centre, double width) {
    return std::exp(-std::pow((t - centre) / width, 2));
}

TrackRecord driveAt(int i) {
    const double t = i * 0.2;
    // Road vibration: deterministic, so the picture is the same every run.
    const double shake = 0.05 * std::sin(i * 2.1) + 0.04 * std::sin(i * 5.3 + 1.0);
    const double forward = 0.35 * bump(t, 6, 3) + 0.15 * bump(t, 22, 4) - 0.85 * bump(t, 58, 2.5) + shake;
    const double lateral = 0.55 * bump(t, 28, 4) - 0.5 * bump(t, 42, 3.5) + 0.8 * shake;
    const double vertical = 1.0 + 1.4 * bump(t, 68, 0.3) - 0.9 * bump(t, 68.6, 0.3) + 1.5 * shake;
    TrackRecord r;
    r.valid = true;
    r.accelX = static_cast<int32_t>(std::lround(kRest + forward * G));
    r.accelY = static_cast<int32_t>(std::lround(kRest + lateral * G));
    r.accelZ = static_cast<int32_t>(std::lround(kRest + vertical * G));
    return r;
}

}  // namespace

TEST(ChartScreenshot, ADriveOnTheDarkTheme) {
    CTreskChartUI chart;
    chart.resize(532, 164);  // its place in the main window at 1280 x 720
    chart.SetAttribute("inset", "40,12,14,12");
    chart.SetAttribute("bkcolor", "#FF171A20");
    chart.SetAttribute("bkcolor2", "#FF0F1115");
    CAccelerationFeed feed;
    feed.Setup(&chart, 0, 4000);

    TrackStore store;
    for (int page = 0; page < 6; ++page) {
        for (int i = 0; i < 64; ++i) {
            const TrackRecord r = driveAt(page * 64 + i);
            ASSERT_TRUE(store.add(&r));
        }
        ASSERT_EQ(store.publishPage(store.generation(), page, [](TrackPage&) { return true; }), 1);
        feed.AppendNewPages(store, store.getReadyPages());
        store.setShownPages(store.getReadyPages());
    }

    QImage image(chart.size(), QImage::Format_RGB32);
    image.fill(0xFF171A20);
    chart.render(&image);
    const QDir dir(QStringLiteral(VELTARA_TEST_SCREENSHOT_DIR));
    ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(image.save(dir.filePath(QStringLiteral("chart.png"))));

    const QRect plot(40, 12, 532 - 54, 164 - 24);
    for (const uint32_t c : {0x0000FFu, 0x00FF00u, 0x00FFFFu})
        EXPECT_GT(chart_test::countColor(image, ChartColor::fromColorRef(c), plot), 150) << std::hex << c;
    EXPECT_GT(chart_test::countBright(image, QRect(0, 0, 38, 164)), 100);  // the five labels
}
