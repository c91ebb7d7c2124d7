#pragma once
// Renders a chart into an image for the tests to look at its pixels.
#include "chart/CTreskChartUI.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

namespace chart_test {

constexpr QRgb SENTINEL = 0xFF123456;

// Only what the chart itself paints: no window background.
inline QImage render(CTreskChartUI& chart) {
    QImage image(chart.size(), QImage::Format_ARGB32);
    image.fill(SENTINEL);
    chart.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

inline int countColor(const QImage& image, QColor color, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += image.pixel(x, y) == color.rgb();
    return n;
}

// Pixels clearly lighter than the dark backgrounds (text is antialiased).
inline int countBright(const QImage& image, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += image.pixelColor(x, y).lightness() > 128;
    return n;
}

}  // namespace chart_test
