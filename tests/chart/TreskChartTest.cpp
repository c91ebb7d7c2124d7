// The chart control as a widget: what it paints, where, and what it refuses.
#include "support/ChartImage.h"
#include "chart/AxisLayout.h"
#include "chart/CTreskChartUI.h"
#include "chart/ChartColor.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <limits>
#include <vector>

using chart_test::countColor;
using chart_test::render;

namespace {

constexpr uint32_t kBlue = 0xFF0000;     // COLORREF
constexpr uint32_t kMagenta = 0xFF00FF;  // COLORREF
const QColor bk(0x20, 0x20, 0x20);
const QColor plotBk(0x10, 0x10, 0x10);
const QColor white(Qt::white);

// A 200 x 120 chart with the plot at (40, 10)-(190, 110), white frame and
// axis, X 0..10, Y 0..4000.
void configure(CTreskChartUI& chart) {
    chart.resize(200, 120);
    chart.SetAttribute("inset", "40,10,10,10");
    chart.SetAttribute("bkcolor", "#FF202020");
    chart.SetAttribute("bkcolor2", "#FF101010");
    chart.SetUnit("G");
    chart.SetFrameColor(0xFFFFFF);
    chart.SetYColor(0, 0xFFFFFF);
    chart.SetXRange(0, 10);
    chart.SetYRange(0, 0, 4000);
    chart.SetXMinorTicks(true);
    chart.SetConfigured(true);
}

CCurve& addCurve(CTreskChartUI& chart, uint32_t colorRef) {
    CCurve* curve = chart.GetCurve(chart.AddCurve("s" + std::to_string(chart.GetCurveCount()), 0));
    curve->SetColor(colorRef);
    return *curve;
}

const QRect plotArea(40, 10, 150, 100);

}  // namespace

TEST(TreskChart, PaintsNothingUntilConfigured) {
    CTreskChartUI chart;
    configure(chart);
    CCurve& curve = addCurve(chart, kBlue);
    curve.AddPoint(0, 0);
    curve.AddPoint(10, 4000);
    chart.SetConfigured(false);
    const QImage before = render(chart);
    EXPECT_EQ(countColor(before, QColor::fromRgba(chart_test::SENTINEL), before.rect()), 200 * 120);

    chart.SetConfigured(true);
    const QImage after = render(chart);
    EXPECT_EQ(after.pixelColor(2, 2), bk);
    EXPECT_EQ(after.pixelColor(100, 60), plotBk);
}

TEST(TreskChart, DrawsFrameEdgesXTicksAndTheLabelledLeftAxis) {
    CTreskChartUI chart;
    configure(chart);
    const QImage image = render(chart);
    // Top and bottom edges run the plot's width; the right edge is not drawn.
    EXPECT_GE(countColor(image, white, QRect(45, 110, 140, 1)), 140);
    EXPECT_GE(countColor(image, white, QRect(45, 10, 140, 1)), 140);
    EXPECT_EQ(countColor(image, white, QRect(189, 30, 2, 60)), 0);
    // The axis line at the left edge, its ticks pointing into the plot.
    EXPECT_EQ(countColor(image, white, QRect(40, 20, 1, 80)), 80);
    EXPECT_EQ(image.pixelColor(45, 60), white);  // major tick at 0 G (display 2)
    // X ticks: 10 s in steps of 2 (majors at 0, 2, ...), 6 pixels major, 3 minor.
    EXPECT_EQ(image.pixelColor(70, 105), white);  // x = 2 -> pixel 70
    EXPECT_EQ(image.pixelColor(70, 13), white);
    EXPECT_EQ(image.pixelColor(46, 108), white);  // minor at x = 0.4
    EXPECT_NE(image.pixelColor(46, 105), white);
    // Labels stand left of the axis, inside the control's margin.
    EXPECT_GT(chart_test::countBright(image, QRect(14, 0, 24, 120)), 40);
    EXPECT_EQ(chart_test::countBright(image, QRect(0, 0, 14, 120)), 0);
}

TEST(TreskChart, SeriesAreClippedToThePlot) {
    CTreskChartUI chart;
    configure(chart);
    // Far outside on both sides, crossing the plot from below-left to above-right.
    CCurve& diagonal = addCurve(chart, kBlue);
    diagonal.AddPoint(-10, -4000);
    diagonal.AddPoint(20, 8000);
    // A jagged series well beyond the top.
    CCurve& high = addCurve(chart, kMagenta);
    for (int i = 0; i <= 20; ++i) high.AddPoint(i * 0.5, i % 2 ? 9000 : -5000);
    const QImage image = render(chart);
    const QColor blue = ChartColor::fromColorRef(kBlue);
    const QColor magenta = ChartColor::fromColorRef(kMagenta);
    const QRect outsideLeft(0, 0, 40, 120), outsideRight(191, 0, 9, 120), above(0, 0, 200, 10), below(0, 111, 200, 9);
    for (const QRect& r : {outsideLeft, outsideRight, above, below}) {
        EXPECT_EQ(countColor(image, blue, r), 0);
        EXPECT_EQ(countColor(image, magenta, r), 0);
    }
    EXPECT_GT(countColor(image, blue, plotArea), 90);
    EXPECT_GT(countColor(image, magenta, plotArea), 500);
}

TEST(TreskChart, SeriesWithFewerThanTwoPointsDrawNothing) {
    CTreskChartUI chart;
    configure(chart);
    addCurve(chart, kBlue).AddPoint(5, 2000);
    addCurve(chart, kMagenta);
    const QImage image = render(chart);
    EXPECT_EQ(countColor(image, ChartColor::fromColorRef(kBlue), image.rect()), 0);
    EXPECT_EQ(countColor(image, ChartColor::fromColorRef(kMagenta), image.rect()), 0);
}

TEST(TreskChart, CurvesAreFoundByExactNameAndOnlyInSlotsZeroToThree) {
    CTreskChartUI chart;
    EXPECT_EQ(chart.AddCurve("a", 4), -1);
    EXPECT_EQ(chart.AddCurve("a", -1), -1);
    EXPECT_EQ(chart.GetCurveCount(), 0);
    EXPECT_EQ(chart.AddCurve("a", 3), 0);
    EXPECT_EQ(chart.AddCurve("a", 0), 1);
    EXPECT_EQ(chart.FindCurve("a"), chart.GetCurve(0));  // the first of that name
    EXPECT_EQ(chart.FindCurve("A"), nullptr);
    EXPECT_EQ(chart.FindCurve("a "), nullptr);
    EXPECT_EQ(chart.GetCurve(2), nullptr);
    EXPECT_EQ(chart.GetCurve(-1), nullptr);
}

TEST(TreskChart, RangesWithoutAScaleAreIgnored) {
    CTreskChartUI chart;
    chart.SetXRange(0, 16);
    chart.SetXRange(5, 5);
    chart.SetXRange(0, std::numeric_limits<double>::infinity());
    EXPECT_EQ(chart.GetXScale().rawMax, 16.0);
    chart.SetYRange(0, 0, 4000);
    chart.SetYRange(0, std::numeric_limits<double>::quiet_NaN(), 1);
    chart.SetYRange(4, -1, 1);
    EXPECT_EQ(chart.GetYScale(0).rawMax, 4000.0);
    // A slot other than 0 gets its own scale.
    chart.SetYRange(2, 0, 50000);
    EXPECT_EQ(chart.GetYScale(2).exponent, 4);
    EXPECT_EQ(chart.GetYScale(0).exponent, 3);
}

TEST(TreskChart, SkinAttributesArriveAsPropertiesToo) {
    CTreskChartUI chart;
    EXPECT_EQ(CTreskChartUI::GetClass(), "TreskChartUI");
    chart.setProperty("inset", "44,8,12,6");
    EXPECT_EQ(chart.GetInsets().left, 44);
    EXPECT_EQ(chart.GetInsets().bottom, 6);
    EXPECT_TRUE(chart.SetAttribute("inset", "1,2,3,4"));
    EXPECT_EQ(chart.GetInsets().top, 2);
    EXPECT_FALSE(chart.SetAttribute("Inset", "9,9,9,9"));  // names are exact
    EXPECT_EQ(chart.GetInsets().left, 1);

    chart.resize(50, 50);
    chart.SetConfigured(true);
    chart.setProperty("bkcolor", "#FF00FF00");
    chart.setProperty("bkcolor2", "not a colour");
    const QImage image = render(chart);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(25, 25), QColor(Qt::green));  // no plot colour set
}

TEST(TreskChart, ChartSmallerThanItsInsetsStillPaints) {
    CTreskChartUI chart;
    configure(chart);
    CCurve& curve = addCurve(chart, kBlue);
    curve.AddPoint(0, 0);
    curve.AddPoint(10, 4000);
    for (const QSize size : {QSize(50, 120), QSize(200, 20), QSize(40, 20), QSize(1, 1)}) {
        chart.resize(size);
        const QImage image = render(chart);
        EXPECT_EQ(image.pixelColor(0, 0), bk);
        EXPECT_EQ(countColor(image, ChartColor::fromColorRef(kBlue), image.rect()), 0);
    }
    // A plot of one pixel each way: no hang in the tick walks.
    chart.SetAttribute("inset", "0,0,0,0");
    chart.resize(1, 1);
    render(chart);
}

// Dense series are drawn with the points of each pixel column reduced to
// the column's first, lowest, highest and last: the picture must be that of
// the full line through every point (the line stroker may set a vertex
// pixel differently, nothing more).
TEST(TreskChart, DenseSeriesCoverTheSamePixelsAsTheFullLine) {
    CTreskChartUI chart;
    configure(chart);
    chart.SetXRange(0, 3600);
    CCurve& curve = addCurve(chart, kBlue);
    // An hour at 5 samples a second, all inside the plot.
    for (int i = 0; i < 18000; ++i) curve.AddPoint(i * 0.2, 2000 + 1900 * std::sin(i * 0.37) * std::sin(i * 0.0011));
    const QImage image = render(chart);

    QImage reference(image.size(), QImage::Format_ARGB32);
    reference.fill(Qt::black);
    {
        const AxisScale xs = chart.GetXScale(), ys = chart.GetYScale(0);
        const AxisLayout xl(40, 190, xs.displayMin, xs.displayMax), yl(110, 10, ys.displayMin, ys.displayMax);
        std::vector<QPoint> points;
        for (size_t i = 0; i < curve.PointCount(); ++i) {
            points.emplace_back(xl.toPixel(curve.XValues()[i] / std::pow(10.0, xs.exponent)),
                                yl.toPixel(curve.YValues()[i] / std::pow(10.0, ys.exponent)));
        }
        QPainter painter(&reference);
        painter.setPen(ChartColor::pen(kBlue, 1, CCurve::PS_SOLID));
        painter.drawPolyline(points.data(), static_cast<int>(points.size()));
    }
    const QColor blue = ChartColor::fromColorRef(kBlue);
    int differ = 0, drawn = 0;
    // Inside the ticks and the axis, which are drawn over the series.
    for (int y = 17; y < 104; ++y) {
        for (int x = 47; x < 184; ++x) {
            const bool a = image.pixelColor(x, y) == blue, b = reference.pixelColor(x, y) == blue;
            drawn += b;
            differ += a != b;
        }
    }
    EXPECT_GT(drawn, 5000);
    EXPECT_LE(differ, drawn / 1000);
}
