#pragma once
// Draws the parts of the chart into a QPainter for one paint: series
// clipped to the plot, the frame with the X ticks, and a Y axis with its
// ticks and labels. Each call computes its layout afresh from the scales.
//
// Threads: the thread that owns the painter (the UI thread for the widget).
#include "chart/AxisScale.h"
#include "chart/CCurve.h"
#include "chart/PlotRect.h"
#include "chart/YAxisStyle.h"

#include <QPoint>
#include <string>
#include <vector>

class QFont;
class QPainter;

class ChartPainter {
public:
    ChartPainter(QPainter& painter, const PlotRect& plot) : painter_(painter), plot_(plot) {}

    // Consecutive visible segments are drawn as one polyline, with the
    // points that share a pixel column reduced to four: the picture of one
    // line per segment at a fraction of the cost.
    void drawSeries(const CCurve& curve, const AxisScale& x, const AxisScale& y);
    // Top and bottom edges and the X ticks, which point into the plot. The
    // X axis has no labels.
    void drawFrame(uint32_t colorRef, int penWidth, const AxisScale& x, bool minorTicks);
    // plain: the labels are the scale's own numbers, not the G-sensor's counts.
    void drawYAxis(const YAxisStyle& style, const AxisScale& y, const QFont& font, const std::string& unit,
                   bool plain = false);

private:
    void addSegment(QPoint from, QPoint to);
    void flush();
    void collapseColumns();

    QPainter& painter_;
    PlotRect plot_;
    std::vector<QPoint> polyline_;
};
