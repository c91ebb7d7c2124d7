// The route's geometry for the map: thinning for drawing keeps the shape and
// the clip boundaries; picking finds the nearest fix only within reach; the
// trip is converted to the page's datum as the clip's line is.
#include "track/CoordinateConversion.h"
#include "trip/NearestFix.h"
#include "trip/RouteDatum.h"
#include "trip/RouteGeometry.h"
#include "trip/RouteSimplifier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kMetresPerDegree = 6371008.8 * 3.141592653589793 / 180.0;

// A fix `north` and `east` metres from 48°N 11°E.
RouteFix fixAt(double north, double east, uint32_t clip = 0, int64_t timeMs = 0) {
    RouteFix f;
    f.latitude = 48.0 + north / kMetresPerDegree;
    f.longitude = 11.0 + east / (kMetresPerDegree * std::cos(48.0 * 3.141592653589793 / 180.0));
    f.clip = clip;
    f.timeMs = timeMs;
    return f;
}

}  // namespace

TEST(RouteSimplifier, KeepsTheShapeAndTheClipBoundaries) {
    // A straight road east, a corner, then north; three clips.
    std::vector<RouteFix> fixes;
    for (int i = 0; i <= 100; ++i) fixes.push_back(fixAt(0, i * 10.0, i < 40 ? 0 : 1));
    for (int i = 1; i <= 100; ++i) fixes.push_back(fixAt(i * 10.0, 1000.0, 2));
    const std::vector<size_t> boundaries = {0, 40, 101, 999999};  // an index out of range is ignored

    const std::vector<size_t> kept = RouteSimplifier::simplify(fixes, boundaries, 1.0);
    EXPECT_EQ(kept, (std::vector<size_t>{0, 40, 100, 101, 200}));

    // A zig-zag of 3 m: a tolerance of 5 m flattens it, one of 1 m keeps every corner.
    std::vector<RouteFix> zigzag;
    for (int i = 0; i < 50; ++i) zigzag.push_back(fixAt(i % 2 ? 3.0 : 0.0, i * 10.0));
    EXPECT_EQ(RouteSimplifier::simplify(zigzag, {}, 5.0).size(), 2u);
    EXPECT_EQ(RouteSimplifier::simplify(zigzag, {}, 1.0).size(), 50u);
    EXPECT_EQ(RouteSimplifier::simplify(zigzag, {}, 0.0).size(), 50u);
    EXPECT_TRUE(RouteSimplifier::simplify({}, {0}, 1.0).empty());

    // Eight hours of a fix a second on a winding road: no dropped fix lies
    // further than the tolerance from the line drawn, and far fewer are drawn.
    std::vector<RouteFix> drive;
    for (int s = 0; s < 8 * 3600; ++s) drive.push_back(fixAt(std::sin(s / 300.0) * 2000.0, s * 15.0, s / 60));
    const double tolerance = RouteSimplifier::screenTolerance(drive, 1000.0);
    EXPECT_NEAR(tolerance, 8 * 3600 * 15.0 / 2000.0, 5.0);
    const std::vector<size_t> drawn = RouteSimplifier::simplify(drive, {}, tolerance);
    EXPECT_LT(drawn.size(), drive.size() / 20);
    const FlatProjection flat(drive);
    double worst = 0.0;
    for (size_t k = 1; k < drawn.size(); ++k) {
        const FlatPoint a = flat.project(drive[drawn[k - 1]].latitude, drive[drawn[k - 1]].longitude);
        const FlatPoint b = flat.project(drive[drawn[k]].latitude, drive[drawn[k]].longitude);
        for (size_t i = drawn[k - 1] + 1; i < drawn[k]; ++i)
            worst = std::max(worst, squaredSegmentDistance(flat.project(drive[i].latitude, drive[i].longitude), a, b));
    }
    EXPECT_LE(std::sqrt(worst), tolerance);
}

TEST(NearestFix, FindsTheNearestFixWithinReachOnly) {
    std::vector<RouteFix> fixes;
    for (int i = 0; i < 10; ++i) fixes.push_back(fixAt(0, i * 100.0, i / 5, i * 1000));
    const RouteFix near7 = fixAt(20.0, 690.0);
    EXPECT_EQ(NearestFix::find(fixes, near7.latitude, near7.longitude, 30.0), 7u);
    EXPECT_FALSE(NearestFix::find(fixes, near7.latitude, near7.longitude, 15.0));
    const RouteFix far = fixAt(5000.0, 500.0);
    EXPECT_FALSE(NearestFix::find(fixes, far.latitude, far.longitude, 30.0));

    // What no page should send finds nothing.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(NearestFix::find(fixes, nan, 11.0, 30.0));
    EXPECT_FALSE(NearestFix::find(fixes, 48.0, inf, 30.0));
    EXPECT_FALSE(NearestFix::find(fixes, 48.0, 11.0, nan));
    EXPECT_FALSE(NearestFix::find(fixes, 48.0, 11.0, -1.0));
    EXPECT_FALSE(NearestFix::find(fixes, 91.0, 11.0, 1e9));
    EXPECT_FALSE(NearestFix::find({}, 48.0, 11.0, 30.0));
}

TEST(RouteDatum, ConvertsTheTripAsTheClipLine) {
    RouteFix beijing;
    beijing.latitude = 39.9;
    beijing.longitude = 116.4;
    beijing.clip = 3;
    beijing.timeMs = 42;
    const std::vector<RouteFix> route(700, beijing);  // more than one block

    TrackRecord line;
    line.valid = true;
    line.latitude = beijing.latitude;
    line.longitude = beijing.longitude;
    convertPageBaidu(&line, 1);
    const std::vector<RouteFix> baidu = routeInMapDatum(route, TrackMapConversion::Baidu);
    ASSERT_EQ(baidu.size(), route.size());
    EXPECT_EQ(baidu.back().latitude, line.mapLatitude);
    EXPECT_EQ(baidu.back().longitude, line.mapLongitude);
    EXPECT_EQ(baidu.back().clip, 3u);
    EXPECT_EQ(baidu.back().timeMs, 42);

    // And back, for a click on the page.
    for (const TrackMapConversion conversion : {TrackMapConversion::Baidu, TrackMapConversion::Gcj}) {
        const RouteFix onPage = routeInMapDatum({beijing}, conversion).front();
        double latitude = 0.0;
        double longitude = 0.0;
        wgsOfMapPosition(conversion, onPage.latitude, onPage.longitude, latitude, longitude);
        EXPECT_NEAR(latitude, 39.9, 1e-7);
        EXPECT_NEAR(longitude, 116.4, 1e-7);
    }
    EXPECT_EQ(routeInMapDatum(route, TrackMapConversion::Copy).front().latitude, 39.9);
    EXPECT_NE(routeInMapDatum(route, TrackMapConversion::Gcj).front().latitude, 39.9);
}
