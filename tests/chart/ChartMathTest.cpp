// The Qt-free parts of the chart: scales, tick steps and walks, labels,
// clipping, range fits and the inset attribute.
#include "chart/AxisLabel.h"
#include "chart/AxisLayout.h"
#include "chart/AxisScale.h"
#include "chart/AxisTicks.h"
#include "chart/ChartInsets.h"
#include "chart/DataExtent.h"
#include "chart/RangeFit.h"
#include "chart/SegmentClipper.h"
#include "chart/TickStep.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

void expectSegment(const std::optional<ClippedSegment>& s, double x1, double y1, double x2, double y2) {
    ASSERT_TRUE(s.has_value());
    EXPECT_NEAR(s->x1, x1, 1e-12);
    EXPECT_NEAR(s->y1, y1, 1e-12);
    EXPECT_NEAR(s->x2, x2, 1e-12);
    EXPECT_NEAR(s->y2, y2, 1e-12);
}

}  // namespace

TEST(AxisScale, ScalesByTheLargerEndOnlyBeyondTwoDecades) {
    AxisScale s = AxisScale::fromRaw(0, 4000);
    EXPECT_EQ(s.exponent, 3);
    EXPECT_EQ(s.displayMax, 4.0);
    s = AxisScale::fromRaw(0, 16);  // exponent 1 is within -2..2
    EXPECT_EQ(s.exponent, 0);
    EXPECT_EQ(s.displayMax, 16.0);
    EXPECT_EQ(AxisScale::fromRaw(0, 999).exponent, 0);
    EXPECT_EQ(AxisScale::fromRaw(-1000, 5).exponent, 3);
    EXPECT_EQ(AxisScale::fromRaw(0, 0.001).exponent, 0);  // 0 counts as exponent 0
    s = AxisScale::fromRaw(0.0005, 0.001);
    EXPECT_EQ(s.exponent, -3);
    EXPECT_DOUBLE_EQ(s.displayMin, 0.5);
}

TEST(AxisScale, ExponentOfExtremeValuesEnds) {
    EXPECT_EQ(AxisScale::decimalExponent(Inf), 0);
    EXPECT_EQ(AxisScale::decimalExponent(NaN), 0);
    EXPECT_EQ(AxisScale::decimalExponent(std::numeric_limits<double>::denorm_min()), -324);
    EXPECT_EQ(AxisScale::decimalExponent(std::numeric_limits<double>::max()), 308);
}

TEST(TickStep, AimsForAboutFiveIntervals) {
    EXPECT_EQ(TickStep::forRange(0, 4).step, 1.0);   // scores 1, 3, 3
    EXPECT_EQ(TickStep::forRange(0, 16).step, 5.0);  // scores 11, 3, 2
    EXPECT_EQ(TickStep::forRange(0, 179.8).step, 50.0);
    EXPECT_EQ(TickStep::forRange(0.3, 4.3).first, 1.0);
    const TickStep t = TickStep::forRange(4.5, 0.5);  // descending
    EXPECT_EQ(t.step, -1.0);
    EXPECT_EQ(t.first, 4.0);
}

TEST(TickStep, RangesWithoutAScaleGiveNoTicksInsteadOfHanging) {
    EXPECT_FALSE(TickStep::forRange(2, 2).valid);
    EXPECT_FALSE(TickStep::forRange(0, Inf).valid);
    EXPECT_FALSE(TickStep::forRange(NaN, 1).valid);
}

TEST(AxisTicks, SensorRangeIsLabelledFromMinusSixToSixG) {
    const AxisLayout layout(150, 10, 0.0, 4.0);  // bottom 150, top 10
    std::vector<int> pixels;
    std::vector<std::string> labels;
    for (const AxisTick& t : AxisTicks::walk(layout, 150, 10, false)) {
        EXPECT_TRUE(t.major);
        pixels.push_back(t.pixel);
        labels.push_back(AxisLabel::format(t.value, "G"));
    }
    EXPECT_EQ(pixels, (std::vector<int>{150, 115, 80, 45, 10}));
    EXPECT_EQ(labels, (std::vector<std::string>{"-6G", "-3G", " 0G", " 3G", " 6G"}));
}

TEST(AxisTicks, MinorTicksFillFifthsOnBothSidesOfTheFirstMajor) {
    const AxisLayout layout(0, 160, 1.0, 17.0);  // step 5: majors at 5, 10, 15 -> pixels 40, 90, 140
    std::set<int> majors;
    std::set<int> all;
    for (const AxisTick& t : AxisTicks::walk(layout, 0, 160, true)) {
        all.insert(t.pixel);
        if (t.major) majors.insert(t.pixel);
    }
    EXPECT_EQ(majors, (std::set<int>{40, 90, 140}));
    std::set<int> everyTen;
    for (int p = 0; p <= 160; p += 10) everyTen.insert(p);
    EXPECT_EQ(all, everyTen);

    for (const AxisTick& t : AxisTicks::walk(layout, 0, 160, false)) EXPECT_TRUE(t.major);
}

TEST(AxisTicks, EmptyPlotOrRangeGivesNoTicks) {
    EXPECT_TRUE(AxisTicks::walk(AxisLayout(50, 50, 0, 16), 50, 50, true).empty());
    EXPECT_TRUE(AxisTicks::walk(AxisLayout(0, 100, 3, 3), 0, 100, true).empty());
    EXPECT_TRUE(AxisTicks::walk(AxisLayout(0, 100, 0, NaN), 0, 100, true).empty());
}

TEST(AxisLabel, ShowsThreeTimesTheWholePartAboveTwo) {
    EXPECT_EQ(AxisLabel::format(1.5, "G"), " 0G");  // 3 x trunc(-0.5) = 0
    EXPECT_EQ(AxisLabel::format(-0.5, "G"), "-6G");
    const std::string longUnit(2000, 'u');
    EXPECT_EQ(AxisLabel::format(4.0, longUnit).size(), 511u);  // the label buffer's size, not beyond
    EXPECT_EQ(AxisLabel::format(NaN, "G"), "G");
}

TEST(SegmentClipper, DiagonalIsCutWhereItEntersAndLeavesThePlot) {
    const SegmentClipper clip(0, 10, 0, 10);
    // Below-left to above-right: in through the left edge, out through the top.
    expectSegment(clip.clip(-2, -1, 12, 13), 0, 1, 9, 10);
    // In through the bottom edge, out through the top.
    expectSegment(clip.clip(-1, -5, 6, 16), 2.0 / 3.0, 0, 4, 10);
    // Exactly through both corners.
    expectSegment(clip.clip(-5, -5, 15, 15), 0, 0, 10, 10);
    // In through the left edge, out through the right.
    expectSegment(clip.clip(-10, 2, 20, 8), 0, 4, 10, 6);
    // Falling: in through the top, out through the bottom.
    expectSegment(clip.clip(2, 12, 6, -4), 2.5, 10, 5, 0);
    // Drawn the other way round: the same piece, ordered by x.
    expectSegment(clip.clip(12, 13, -2, -1), 0, 1, 9, 10);
    expectSegment(clip.clip(5, -5, 5, 20), 5, 0, 5, 10);  // vertical
    expectSegment(clip.clip(20, 3, -5, 3), 0, 3, 10, 3);  // horizontal
}

TEST(SegmentClipper, SegmentsThatOnlyPassACornerAreNotDrawn) {
    const SegmentClipper clip(0, 10, 0, 10);
    // The bounding box overlaps the plot, the line passes above its top-left corner.
    EXPECT_FALSE(clip.clip(-5, 8, 5, 18).has_value());
    EXPECT_FALSE(clip.clip(8, -5, 18, 5).has_value());  // below the bottom-right corner
    // Coordinates that are not finite would come out as points.
    EXPECT_FALSE(clip.clip(NaN, 1, 2, 3).has_value());
    EXPECT_FALSE(clip.clip(1, -Inf, 2, Inf).has_value());
}

TEST(RangeFit, YRangeWidensTheUnionAboutItsCentre) {
    auto fit = RangeFit::widenY(0, 4000, DataExtent{1000, 5000}, 0.8);
    ASSERT_TRUE(fit && fit->changed);
    EXPECT_DOUBLE_EQ(fit->min, -625);
    EXPECT_DOUBLE_EQ(fit->max, 5625);

    fit = RangeFit::widenY(0, 4000, DataExtent{1500, 4100}, 0.8);
    ASSERT_TRUE(fit && fit->changed);
    EXPECT_DOUBLE_EQ(fit->min, -512.5);
    EXPECT_DOUBLE_EQ(fit->max, 4612.5);

    EXPECT_FALSE(RangeFit::widenY(0, 4000, DataExtent{0, 4000}, 0.8)->changed);
    EXPECT_FALSE(RangeFit::widenY(0, 4000, DataExtent{9000, 9000}, 0.8)->changed);  // one value
    EXPECT_FALSE(RangeFit::widenY(0, 4000, std::nullopt, 0.8).has_value());
    // A fill of 0 or less would make the range infinite or turn it over; above 1 shrink it.
    for (const double badFill : {0.0, -1.0, 1.5, NaN})
        EXPECT_FALSE(RangeFit::widenY(0, 4000, DataExtent{0, 9000}, badFill)->changed) << badFill;
}

TEST(RangeFit, XRangeGrowsToExactlyTheDataAtTheEndsItExceeds) {
    auto fit = RangeFit::growX(0, 16, DataExtent{0, 179.8});
    ASSERT_TRUE(fit && fit->changed);
    EXPECT_EQ(fit->min, 0.0);
    EXPECT_EQ(fit->max, 179.8);

    fit = RangeFit::growX(0, 16, DataExtent{-3, 5});
    ASSERT_TRUE(fit && fit->changed);
    EXPECT_EQ(fit->min, -3.0);
    EXPECT_EQ(fit->max, 16.0);

    fit = RangeFit::growX(0, 16, DataExtent{0, 15.999999999999975});  // 81 samples 0.2 s apart
    ASSERT_TRUE(fit);
    EXPECT_FALSE(fit->changed);
    EXPECT_FALSE(RangeFit::growX(0, 16, std::nullopt).has_value());
}

TEST(DataExtent, SkipsValuesThatAreNotFiniteAndOtherSlots) {
    std::vector<std::unique_ptr<CCurve>> curves;
    curves.push_back(std::make_unique<CCurve>("a", 0, nullptr));
    curves.push_back(std::make_unique<CCurve>("b", 1, nullptr));
    EXPECT_FALSE(DataExtent::ofX(curves).has_value());
    curves[0]->AddPoint(1, NaN);
    curves[0]->AddPoint(NaN, 5);
    curves[0]->AddPoint(3, -2);
    curves[1]->AddPoint(-7, 100);
    const auto x = DataExtent::ofX(curves);
    const auto y = DataExtent::ofY(curves, 0);
    ASSERT_TRUE(x && y);
    EXPECT_EQ(std::make_pair(x->min, x->max), std::make_pair(-7.0, 3.0));
    EXPECT_EQ(std::make_pair(y->min, y->max), std::make_pair(-2.0, 5.0));
    EXPECT_FALSE(DataExtent::ofY(curves, 2).has_value());
}

TEST(ChartInsets, ReadsFourNumbersAndNeverReadsPastTheText) {
    auto parse = [](const char* text) {
        const ChartInsets i = ChartInsets::parse(text);
        return std::vector<int>{i.left, i.top, i.right, i.bottom};
    };
    EXPECT_EQ(parse("40,8,12,6"), (std::vector<int>{40, 8, 12, 6}));
    EXPECT_EQ(parse("5"), (std::vector<int>{5, 0, 0, 0}));
    EXPECT_EQ(parse(""), (std::vector<int>{0, 0, 0, 0}));
    // No number at a place reads 0 and moves one character on.
    EXPECT_EQ(parse("a,2,b,4"), (std::vector<int>{0, 0, 2, 0}));
    constexpr int max = std::numeric_limits<int>::max(), min = std::numeric_limits<int>::min();
    EXPECT_EQ(parse("99999999999,-99999999999,1,2"), (std::vector<int>{max, min, 1, 2}));
}
