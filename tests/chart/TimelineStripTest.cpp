// The timeline strip as a widget: what it draws for the trips it is shown,
// and the seeks a click or a drag asks for.
#include "chart/TimelineStrip.h"
#include "support/DriveRecords.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <vector>

namespace {

std::shared_ptr<const ClipTrack> clip(const std::string& path, int firstSecond, bool readable = true) {
    auto c = std::make_shared<ClipTrack>();
    c->path = path;
    if (!readable) {
        c->problem = "cannot be read";
        return c;
    }
    for (int i = 0; i < 60; ++i)
        c->samples.push_back(testing_support::driveSampleAt(firstSecond + i, i * 1000, 52.0 + i * 1e-4, 13.0,
                                                            static_cast<float>(30 + i)));
    return c;
}

void mouse(QWidget& widget, QEvent::Type type, double x) {
    const QPointF at(x, widget.height() / 2.0);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

TEST(TimelineStrip, DrawsTheCurrentClipAndItsTrip) {
    const auto trips = TripSet::build(
        {clip("/d/2026_1207_100000_F.MP4", 0), clip("/d/2026_1207_100100_F.MP4", 60), clip("/d/bad_F.MP4", 0, false)});
    TimelineStrip strip;
    strip.resize(402, TimelineStrip::kHeight);
    strip.ShowTrips(trips, "/d/2026_1207_100100_F.MP4");
    const int points = strip.DrawnPoints();
    EXPECT_GE(points, 59);  // one per second of the clip
    QImage image(strip.size(), QImage::Format_ARGB32);
    strip.render(&image);
    // The trip band: the second of the two clips is lit in the accent blue.
    const int bandY = TimelineStrip::kHeight - 3;
    EXPECT_EQ(image.pixelColor(300, bandY), QColor(0x2f, 0x7d, 0xe1));
    EXPECT_NE(image.pixelColor(100, bandY), QColor(0x2f, 0x7d, 0xe1));

    // Knowing the clip's length changes the scale, not the samples drawn.
    strip.SetLength(60);
    EXPECT_EQ(strip.DrawnPoints(), points);
    // A clip that cannot be read, or none, draws nothing.
    strip.ShowTrips(trips, "/d/bad_F.MP4");
    EXPECT_EQ(strip.DrawnPoints(), 0);
    strip.ShowTrips(nullptr, "");
    EXPECT_EQ(strip.DrawnPoints(), 0);
}

TEST(TimelineStrip, SeeksWhereTheButtonComesUpAndOnlyWhilePlaying) {
    TimelineStrip strip;
    strip.resize(402, TimelineStrip::kHeight);
    std::vector<int32_t> seeks;
    strip.SetSeekHandler([&](int32_t seconds) { seeks.push_back(seconds); });

    // Nothing plays: a click does nothing.
    mouse(strip, QEvent::MouseButtonPress, 201);
    mouse(strip, QEvent::MouseButtonRelease, 201);
    EXPECT_TRUE(seeks.empty());

    strip.SetLength(60);
    strip.SetPosition(10);
    mouse(strip, QEvent::MouseButtonPress, 201);
    EXPECT_TRUE(seeks.empty());  // a press alone only moves the playhead
    EXPECT_DOUBLE_EQ(strip.PlayheadSeconds(), 30.0);
    mouse(strip, QEvent::MouseMove, 301);
    strip.SetPosition(11);  // the player's time does not pull the drag back
    EXPECT_DOUBLE_EQ(strip.PlayheadSeconds(), 45.0);
    mouse(strip, QEvent::MouseButtonRelease, 1000);  // released past the end
    EXPECT_EQ(seeks, std::vector<int32_t>{60});
    strip.SetPosition(12);
    EXPECT_DOUBLE_EQ(strip.PlayheadSeconds(), 12.0);

    strip.Reset();
    mouse(strip, QEvent::MouseButtonPress, 201);
    mouse(strip, QEvent::MouseButtonRelease, 201);
    EXPECT_EQ(seeks.size(), 1u);
}
