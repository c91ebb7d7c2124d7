#pragma once
// The drawings of report.pdf: the route as a line with north up and a scale
// bar, and a time chart of one series with the events as vertical marks.
// Threads: the GUI thread, painting.
#include <QJsonArray>
#include <QRectF>
#include <QString>

class QPainter;

class ReportCharts {
public:
    // points: latitude, longitude, ...
    static void route(QPainter& painter, const QRectF& box, const QJsonArray& points, bool imperial,
                      const QString& noPositionText);
    // series: seconds, value, ...; events: objects with "at" and "kind".
    static void series(QPainter& painter, const QRectF& box, const QJsonArray& series, double lengthSeconds,
                       const QJsonArray& events, const QString& label, const QColor& colour);
};
