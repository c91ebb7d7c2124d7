#include "report/ReportCharts.h"

#include <QFontMetricsF>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kMetresPerDegree = 111'320.0;

QColor eventColour(const QString& kind) {
    if (kind == QLatin1String("impact")) return QColor(0xe0, 0x30, 0x3a);
    if (kind == QLatin1String("accel")) return QColor(0x3c, 0xb3, 0x71);
    return QColor(0xf0, 0xa0, 0x20);
}

// 1, 2 or 5 times a power of ten, at most `most`.
double roundDown(double most) {
    if (!(most > 0.0)) return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : {5.0, 2.0, 1.0})
        if (step * power <= most) return step * power;
    return power;
}

}  // namespace

void ReportCharts::route(QPainter& painter, const QRectF& box, const QJsonArray& points, bool imperial,
                         const QString& noPositionText, const std::optional<QPointF>& incident) {
    painter.save();
    painter.setPen(QPen(QColor(0x99, 0x99, 0x99), 0.5));
    painter.drawRect(box);
    if (points.size() < 2) {
        painter.drawText(box, Qt::AlignCenter, noPositionText);
        painter.restore();
        return;
    }
    double south = 90, north = -90, west = 180, east = -180;
    for (int i = 0; i + 1 < points.size(); i += 2) {
        south = std::min(south, points[i].toDouble());
        north = std::max(north, points[i].toDouble());
        west = std::min(west, points[i + 1].toDouble());
        east = std::max(east, points[i + 1].toDouble());
    }
    // Metres east and north of the south-west corner: north stays up.
    const double across = std::cos((south + north) / 2.0 * M_PI / 180.0);
    const double width = std::max((east - west) * across * kMetresPerDegree, 1.0);
    const double height = std::max((north - south) * kMetresPerDegree, 1.0);
    const QRectF inner = box.adjusted(12, 12, -12, -28);
    const double scale = std::min(inner.width() / width, inner.height() / height);
    const QPointF origin(inner.center().x() - width * scale / 2.0, inner.center().y() + height * scale / 2.0);
    const auto place = [&](double latitude, double longitude) {
        return QPointF(origin.x() + (longitude - west) * across * kMetresPerDegree * scale,
                       origin.y() - (latitude - south) * kMetresPerDegree * scale);
    };
    QPainterPath path;
    for (int i = 0; i + 1 < points.size(); i += 2) {
        const QPointF p = place(points[i].toDouble(), points[i + 1].toDouble());
        if (i == 0) {
            path.moveTo(p);
        } else {
            path.lineTo(p);
        }
    }
    painter.setPen(QPen(QColor(0x1f, 0x6f, 0xd1), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setBrush(QColor(0x3c, 0xb3, 0x71));
    painter.drawEllipse(path.pointAtPercent(0.0), 3, 3);
    painter.setBrush(QColor(0xe0, 0x30, 0x3a));
    painter.drawEllipse(path.pointAtPercent(1.0), 3, 3);
    painter.setBrush(Qt::NoBrush);
    if (incident && std::isfinite(incident->x()) && std::isfinite(incident->y())) {
        const QPointF p = place(incident->y(), incident->x());
        painter.setPen(QPen(QColor(0xe0, 0x30, 0x3a), 1.5));
        painter.drawEllipse(p, 6, 6);
        painter.drawLine(p + QPointF(-9, 0), p + QPointF(-5, 0));
        painter.drawLine(p + QPointF(5, 0), p + QPointF(9, 0));
    }
    // Which end is which.
    painter.setPen(QColor(0x55, 0x55, 0x55));
    painter.drawText(path.pointAtPercent(0.0) + QPointF(5, -4), QStringLiteral("A"));
    painter.drawText(path.pointAtPercent(1.0) + QPointF(5, -4), QStringLiteral("B"));

    // North arrow and scale bar.
    painter.setPen(QPen(Qt::black, 1.0));
    const QPointF arrow(box.right() - 16, box.top() + 26);
    painter.drawLine(arrow, arrow + QPointF(0, -14));
    painter.drawLine(arrow + QPointF(0, -14), arrow + QPointF(-4, -8));
    painter.drawLine(arrow + QPointF(0, -14), arrow + QPointF(4, -8));
    painter.drawText(QRectF(arrow.x() - 8, arrow.y(), 16, 12), Qt::AlignCenter, QStringLiteral("N"));
    const double unit = imperial ? 1609.344 : 1000.0;  // a mile or a kilometre
    const double metres = roundDown(inner.width() / 4.0 / scale);
    const double bar = metres * scale;
    const QPointF left(box.left() + 12, box.bottom() - 12);
    painter.drawLine(left, left + QPointF(bar, 0));
    painter.drawLine(left, left + QPointF(0, -4));
    painter.drawLine(left + QPointF(bar, 0), left + QPointF(bar, -4));
    const QString text = metres >= unit ? QString::number(metres / unit, 'g', 3) + (imperial ? " mi" : " km")
                                        : imperial ? QString::number(std::round(metres / 0.3048)) + " ft"
                                                   : QString::number(metres) + " m";
    painter.drawText(QPointF(left.x() + bar + 6, left.y()), text);
    painter.restore();
}

void ReportCharts::series(QPainter& painter, const QRectF& box, const QJsonArray& series, double lengthSeconds,
                          const QJsonArray& events, const Labels& labels, const QColor& colour,
                          std::optional<double> incidentAt) {
    painter.save();
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, labels.title);
    double top = 0.0;
    for (int i = 0; i + 1 < series.size(); i += 2) top = std::max(top, series[i + 1].toDouble());
    top = top > 0.0 ? top * 1.1 : 1.0;
    // Room for the value scale on the left and the time axis below.
    const QRectF plot = box.adjusted(58, 16, -4, -24);
    painter.setPen(QPen(QColor(0x99, 0x99, 0x99), 0.5));
    painter.drawRect(plot);
    const double length = lengthSeconds > 0.0 ? lengthSeconds : 1.0;
    const auto at = [&](double t, double v) {
        return QPointF(plot.left() + plot.width() * std::clamp(t / length, 0.0, 1.0),
                       plot.bottom() - plot.height() * std::clamp(v / top, 0.0, 1.0));
    };
    // The time axis: ticks at 1, 2 or 5 times a power of ten seconds, about six of them.
    const double step = std::max(roundDown(length / 5.0), 0.1);
    painter.setPen(QColor(0x55, 0x55, 0x55));
    const int decimals = step < 1.0 ? 1 : 0;
    for (int n = 0; n * step <= length + 1e-9 && n < 100; ++n) {
        const QPointF p = at(n * step, 0.0);
        painter.drawLine(p, p + QPointF(0, 3));
        painter.drawText(QRectF(p.x() - 20, plot.bottom() + 3, 40, 10), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(n * step, 'f', decimals));
    }
    painter.drawText(QRectF(plot.left(), plot.bottom() + 12, plot.width(), 12), Qt::AlignHCenter | Qt::AlignTop,
                     labels.axis);
    // The value scale says its unit, so that it never reads like a figure of the report.
    painter.drawText(QRectF(box.left(), plot.top() - 5, 55, 10), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(top, 'f', 1) + " " + labels.unit);
    painter.drawText(QRectF(box.left(), plot.bottom() - 5, 55, 10), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("0 ") + labels.unit);
    for (const QJsonValue& value : events) {
        const QJsonObject e = value.toObject();
        painter.setPen(QPen(eventColour(e.value("kind").toString()), 1.0));
        const QPointF p = at(e.value("at").toDouble(), 0.0);
        painter.drawLine(QPointF(p.x(), plot.top()), QPointF(p.x(), plot.bottom()));
    }
    QPainterPath path;
    for (int i = 0; i + 1 < series.size(); i += 2) {
        const QPointF p = at(series[i].toDouble(), series[i + 1].toDouble());
        if (i == 0) {
            path.moveTo(p);
        } else {
            path.lineTo(p);
        }
    }
    painter.setPen(QPen(colour, 1.2));
    painter.drawPath(path);
    if (incidentAt && std::isfinite(*incidentAt)) {
        const QPointF p = at(*incidentAt, 0.0);
        painter.setPen(QPen(QColor(0xe0, 0x30, 0x3a), 1.5, Qt::DashLine));
        painter.drawLine(QPointF(p.x(), plot.top()), QPointF(p.x(), plot.bottom()));
        QPolygonF mark;
        mark << QPointF(p.x() - 4, plot.top() - 6) << QPointF(p.x() + 4, plot.top() - 6) << QPointF(p.x(), plot.top());
        painter.setBrush(QColor(0xe0, 0x30, 0x3a));
        painter.drawPolygon(mark);
        painter.setPen(QColor(0xe0, 0x30, 0x3a));
        const bool right = p.x() < plot.center().x();
        painter.drawText(QRectF(right ? p.x() + 4 : p.x() - 204, plot.top() + 2, 200, 12),
                         (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, labels.incident);
    }
    painter.restore();
}
