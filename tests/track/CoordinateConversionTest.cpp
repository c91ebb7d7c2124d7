#include "track/CoordinateConversion.h"
#include "track/TrackMapConversion.h"

#include <gtest/gtest.h>
#include <cmath>

namespace {

// The map pages receive six decimals; the figures must agree there.
void expectSixDecimals(double actual, double expected) {
    EXPECT_EQ(std::llround(actual * 1e6), std::llround(expected * 1e6)) << actual << " vs " << expected;
}

struct Point {
    double lat;
    double lng;
};

Point gcj(double lat, double lng) {
    Point p{};
    wgsToGcj(lat, lng, p.lat, p.lng);
    return p;
}

Point bd(double lat, double lng) {
    Point p{};
    wgsToBd(lat, lng, p.lat, p.lng);
    return p;
}

TrackRecord validAt(double lat, double lng) {
    TrackRecord r;
    r.valid = true;
    r.latitude = lat;
    r.longitude = lng;
    return r;
}

}  // namespace

TEST(CoordinateConversion, KnownPointsInChina) {
    const Point beijingGcj = gcj(39.9, 116.4);
    expectSixDecimals(beijingGcj.lat, 39.901404);
    expectSixDecimals(beijingGcj.lng, 116.406243);
    const Point beijingBd = bd(39.9, 116.4);
    expectSixDecimals(beijingBd.lat, 39.907734);
    expectSixDecimals(beijingBd.lng, 116.412628);

    const Point shenzhenGcj = gcj(22.562361, 113.936761);
    expectSixDecimals(shenzhenGcj.lat, 22.559336);
    expectSixDecimals(shenzhenGcj.lng, 113.941632);
    const Point shenzhenBd = bd(22.562361, 113.936761);
    expectSixDecimals(shenzhenBd.lat, 22.564996);
    expectSixDecimals(shenzhenBd.lng, 113.948199);
}

TEST(CoordinateConversion, MarkerConversionsLeavePointsOutsideTheBoxAlone) {
    for (const Point& in : {Point{48.85, 2.35}, Point{18.0999, 100.0}, Point{55.8272, 100.0}, Point{30.0, 72.0039},
                            Point{30.0, 135.1001}}) {
        const Point g = gcj(in.lat, in.lng);
        const Point b = bd(in.lat, in.lng);
        EXPECT_EQ(g.lat, in.lat);
        EXPECT_EQ(g.lng, in.lng);
        EXPECT_EQ(b.lat, in.lat);
        EXPECT_EQ(b.lng, in.lng);
    }
    Point n{};
    noConversion(39.9, 116.4, n.lat, n.lng);
    EXPECT_EQ(n.lat, 39.9);
    EXPECT_EQ(n.lng, 116.4);
}

TEST(CoordinateConversion, BoxEdgesAreInside) {
    for (const Point& in : {Point{30.0, 72.004}, Point{30.0, 135.1}, Point{18.1, 100.0}, Point{55.8271, 100.0}}) {
        const Point g = gcj(in.lat, in.lng);
        EXPECT_NE(g.lat, in.lat);
        EXPECT_NE(g.lng, in.lng);
        const Point b = bd(in.lat, in.lng);
        EXPECT_NE(b.lat, in.lat);
    }
}

TEST(CoordinateConversion, PageConversionsShiftEveryValidPointAndSkipInvalidOnes) {
    TrackRecord page[3] = {validAt(39.9, 116.4), validAt(48.85, 2.35), validAt(22.0, 113.0)};
    page[2].valid = false;
    page[2].mapLatitude = -1.0;
    page[2].mapLongitude = -2.0;

    ASSERT_TRUE(convertPageBaidu(page, 3));
    expectSixDecimals(page[0].mapLatitude, 39.907734);
    expectSixDecimals(page[0].mapLongitude, 116.412628);
    // The track line is shifted even outside the box, unlike the marker.
    EXPECT_NE(page[1].mapLatitude, 48.85);
    EXPECT_EQ(page[2].mapLatitude, -1.0);
    EXPECT_EQ(page[2].mapLongitude, -2.0);

    ASSERT_TRUE(convertPageGoogle(page, 3, true));
    expectSixDecimals(page[0].mapLatitude, 39.901404);
    expectSixDecimals(page[0].mapLongitude, 116.406243);
    EXPECT_NE(page[1].mapLongitude, 2.35);
    EXPECT_EQ(page[2].mapLatitude, -1.0);

    ASSERT_TRUE(convertPageGoogle(page, 3, false));
    EXPECT_EQ(page[0].mapLatitude, 39.9);
    EXPECT_EQ(page[0].mapLongitude, 116.4);
    EXPECT_EQ(page[1].mapLatitude, 48.85);
    EXPECT_EQ(page[2].mapLongitude, -2.0);
}

TEST(CoordinateConversion, PageConversionArgumentsAreChecked) {
    TrackRecord r = validAt(39.9, 116.4);
    r.mapLatitude = 7.0;
    EXPECT_FALSE(convertPageBaidu(&r, 0));
    EXPECT_FALSE(convertPageGoogle(&r, 0, true));
    EXPECT_FALSE(convertPageCopy(&r, 0));
    EXPECT_FALSE(convertPageBaidu(nullptr, 5));
    EXPECT_FALSE(convertPageGoogle(nullptr, 5, false));
    EXPECT_TRUE(convertPageBaidu(&r, -1));
    EXPECT_TRUE(convertPageGoogle(&r, -3, true));
    EXPECT_EQ(r.mapLatitude, 7.0);
}

TEST(TrackMapConversion, FollowsMapKindAndExactRegion) {
    EXPECT_EQ(trackMapConversionFor(1, "anything"), TrackMapConversion::Baidu);
    EXPECT_EQ(trackMapConversionFor(2, "China"), TrackMapConversion::Gcj);
    EXPECT_EQ(trackMapConversionFor(2, "china"), TrackMapConversion::Copy);
    EXPECT_EQ(trackMapConversionFor(2, "China "), TrackMapConversion::Copy);
    // Unknown and WGS-84 map kinds still get usable map coordinates.
    EXPECT_EQ(trackMapConversionFor(0, "China"), TrackMapConversion::Copy);
    EXPECT_EQ(trackMapConversionFor(3, "China"), TrackMapConversion::Copy);

    TrackRecord r = validAt(39.9, 116.4);
    ASSERT_TRUE(convertPage(trackMapConversionFor(2, "china"), &r, 1));
    EXPECT_EQ(r.mapLatitude, 39.9);
    EXPECT_EQ(r.mapLongitude, 116.4);
    ASSERT_TRUE(convertPage(TrackMapConversion::Baidu, &r, 1));
    expectSixDecimals(r.mapLatitude, 39.907734);
}
