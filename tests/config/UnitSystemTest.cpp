// Units: the stored setting read back safely, speeds converted, distances
// written with the right unit at the changeover and the language's sign.
#include "config/UnitSystem.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

TEST(UnitSystem, OnlyOneMeansImperialAndTheNamesRoundTrip) {
    EXPECT_EQ(Units::fromSetting(0), UnitSystem::Metric);
    EXPECT_EQ(Units::fromSetting(1), UnitSystem::Imperial);
    for (int hostile : {-1, 2, 255, std::numeric_limits<int>::min()})
        EXPECT_EQ(Units::fromSetting(hostile), UnitSystem::Metric);
    EXPECT_EQ(Units::toSetting(UnitSystem::Imperial), 1);
    EXPECT_EQ(Units::fromSetting(Units::toSetting(UnitSystem::Metric)), UnitSystem::Metric);
    EXPECT_EQ(Units::name(UnitSystem::Metric), "metric");
    EXPECT_EQ(Units::name(UnitSystem::Imperial), "imperial");
}

TEST(UnitSystem, ConvertsAndWritesSpeedsAndDistances) {
    EXPECT_DOUBLE_EQ(Units::speed(43.5, UnitSystem::Metric), 43.5);
    EXPECT_NEAR(Units::speed(160.9344, UnitSystem::Imperial), 100.0, 1e-9);

    EXPECT_EQ(Units::formatDistance(999.4, UnitSystem::Metric), "999 m");
    EXPECT_EQ(Units::formatDistance(1000.0, UnitSystem::Metric), "1.0 km");
    EXPECT_EQ(Units::formatDistance(12345.0, UnitSystem::Metric, ","), "12,3 km");
    // A tenth of a mile is the changeover from feet to miles.
    EXPECT_EQ(Units::formatDistance(160.0, UnitSystem::Imperial), "525 ft");
    EXPECT_EQ(Units::formatDistance(Units::kMetresPerMile / 10.0, UnitSystem::Imperial), "0.1 mi");
    EXPECT_EQ(Units::formatDistance(2.5 * Units::kMetresPerMile, UnitSystem::Imperial, ","), "2,5 mi");
    // Figures from damaged tracks never show as "nan" or negative.
    EXPECT_EQ(Units::formatDistance(std::nan(""), UnitSystem::Metric), "0 m");
    EXPECT_EQ(Units::formatDistance(-5.0, UnitSystem::Imperial), "0 ft");
    EXPECT_EQ(Units::formatDistance(std::numeric_limits<double>::infinity(), UnitSystem::Metric), "0 m");
}
