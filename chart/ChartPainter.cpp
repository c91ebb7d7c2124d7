#include "chart/ChartPainter.h"

#include "chart/AxisLabel.h"
#include "chart/AxisLayout.h"
#include "chart/AxisTicks.h"
#include "chart/ChartColor.h"
#include "chart/SegmentClipper.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMajorTick = 6;
constexpr int kMinorTick = 3;
constexpr int kLabelGap = 20;  // label's left edge is kLabelGap + 4 pixels outside a left axis

double divisorOf(const AxisScale& scale) {
    return std::pow(10.0, static_cast<double>(scale.exponent));
}

}  // namespace

void ChartPainter::drawSeries(const CCurve& curve, const AxisScale& x, const AxisScale& y) {
    const size_t n = curve.PointCount();
    if (n < 2 || !plot_.drawable()) return;
    const QPen pen = ChartColor::pen(curve.GetColor(), curve.GetPenWidth(), curve.GetPenStyle());
    if (pen.style() == Qt::NoPen) return;
    const AxisLayout xLayout(plot_.left, plot_.right, x.displayMin, x.displayMax);
    const AxisLayout yLayout(plot_.bottom, plot_.top, y.displayMin, y.displayMax);
    if (!xLayout.valid() || !yLayout.valid()) return;

    painter_.setPen(pen);
    const SegmentClipper clipper(x.displayMin, x.displayMax, y.displayMin, y.displayMax);
    const double xDivisor = divisorOf(x);
    const double yDivisor = divisorOf(y);
    const double* xs = curve.XValues().data();
    const double* ys = curve.YValues().data();
    polyline_.clear();
    double x1 = xs[0] / xDivisor;
    double y1 = ys[0] / yDivisor;
    for (size_t i = 1; i < n; ++i) {
        const double x2 = xs[i] / xDivisor;
        const double y2 = ys[i] / yDivisor;
        if (const auto s = clipper.clip(x1, y1, x2, y2)) {
            const QPoint a(xLayout.toPixel(s->x1), yLayout.toPixel(s->y1));
            const QPoint b(xLayout.toPixel(s->x2), yLayout.toPixel(s->y2));
            // The clipper orders by x; keep the series' direction so that
            // the pieces chain into one polyline.
            if (x2 < x1) {
                addSegment(b, a);
            } else {
                addSegment(a, b);
            }
        }
        x1 = x2;
        y1 = y2;
    }
    flush();
}

void ChartPainter::addSegment(QPoint from, QPoint to) {
    if (!polyline_.empty() && polyline_.back() == from) {
        if (to != from) polyline_.push_back(to);
        return;
    }
    flush();
    polyline_.push_back(from);
    if (to != from) polyline_.push_back(to);
}

void ChartPainter::flush() {
    collapseColumns();
    // A single point is a segment of no length, which draws nothing.
    if (polyline_.size() >= 2) painter_.drawPolyline(polyline_.data(), static_cast<int>(polyline_.size()));
    polyline_.clear();
}

void ChartPainter::collapseColumns() {
    // An hour of samples puts dozens of consecutive points into each pixel
    // column. Within a column the line covers exactly the span from its
    // lowest to its highest point, and it enters at the first point and
    // leaves at the last, so those four points draw the same line (up to
    // the odd vertex pixel the stroker sets differently).
    const size_t n = polyline_.size();
    size_t out = 0;
    for (size_t i = 0; i < n;) {
        const int x = polyline_[i].x();
        size_t end = i + 1;
        size_t low = i;
        size_t high = i;
        for (; end < n && polyline_[end].x() == x; ++end) {
            if (polyline_[end].y() < polyline_[low].y()) low = end;
            if (polyline_[end].y() > polyline_[high].y()) high = end;
        }
        const size_t last = end - 1;
        // Run order: first, then the extremes as they occur, then last.
        size_t keep[4] = {i, std::min(low, high), std::max(low, high), last};
        size_t previous = n;  // no index yet
        QPoint kept[4];
        int count = 0;
        for (const size_t k : keep) {
            if (k == previous) continue;
            kept[count++] = polyline_[k];
            previous = k;
        }
        // Never more points than the run had, so writing cannot overtake reading.
        for (int k = 0; k < count; ++k) polyline_[out++] = kept[k];
        i = end;
    }
    polyline_.resize(out);
}

void ChartPainter::drawFrame(uint32_t colorRef, int penWidth, const AxisScale& x, bool minorTicks) {
    const auto [left, top, right, bottom] = plot_;
    painter_.setPen(ChartColor::pen(colorRef, penWidth, CCurve::PS_SOLID));
    painter_.drawLine(left, bottom, right, bottom);
    painter_.drawLine(left, top, right, top);

    const AxisLayout layout(left, right, x.displayMin, x.displayMax);
    for (const AxisTick& tick : AxisTicks::walk(layout, left, right, minorTicks)) {
        const int length = tick.major ? kMajorTick : kMinorTick;
        painter_.drawLine(tick.pixel, bottom, tick.pixel, bottom - length);
        painter_.drawLine(tick.pixel, top, tick.pixel, top + length);
    }
}

void ChartPainter::drawYAxis(const YAxisStyle& style, const AxisScale& y, const QFont& font, const std::string& unit,
                             bool plain) {
    const auto [left, top, right, bottom] = plot_;
    const int side = style.side < 0 ? -1 : 1;
    const int axis = (side < 0 ? left : right) + style.offset;
    painter_.setPen(ChartColor::pen(style.color, style.penWidth, CCurve::PS_SOLID));
    painter_.setFont(font);
    painter_.drawLine(axis, bottom, axis, top);
    painter_.drawLine(axis, bottom, axis - kMajorTick * side, bottom);
    painter_.drawLine(axis, top, axis - kMajorTick * side, top);

    const QFontMetrics metrics(font);
    const int halfHeight = metrics.height() / 2;
    const int labelX = axis + kLabelGap * side - 4;
    const AxisLayout layout(bottom, top, y.displayMin, y.displayMax);
    for (const AxisTick& tick : AxisTicks::walk(layout, bottom, top, style.minorTicks)) {
        if (!tick.major) {
            painter_.drawLine(axis, tick.pixel, axis - kMinorTick * side, tick.pixel);
            continue;
        }
        painter_.drawLine(axis, tick.pixel, axis - kMajorTick * side, tick.pixel);
        const QString label = QString::fromStdString(plain ? AxisLabel::plain(tick.value, y.exponent, unit)
                                                           : AxisLabel::format(tick.value, unit));
        // Placed by the top-left corner of its text, centred on the tick.
        painter_.drawText(labelX, tick.pixel - halfHeight + metrics.ascent(), label);
    }
}
