#pragma once
// The drawings of report.pdf: the route as a line with north up, a scale
// bar and its start, end and incident marked, and a time chart of one series
// with a time axis, its unit on the value scale, the events as vertical
// marks and the incident as a labelled one.
// Threads: the GUI thread, painting.
#include <QJsonArray>
#include <QRectF>
#include <QPointF>
#include <QString>
#include <optional>

class QPainter;

class ReportCharts {
public:
    // points: latitude, longitude, ...
    // incident: latitude (y) and longitude (x) of the incident, marked with a ring.
    static void route(QPainter& painter, const QRectF& box, const QJsonArray& points, bool imperial,
                      const QString& noPositionText, const std::optional<QPointF>& incident = {});
    // series: seconds, value, ...; events: objects with "at" and "kind".
    // unit: written beside the value scale ("km/h", "G"); axis: the time
    // axis's title; incidentAt: seconds into the stretch, marked and labelled.
    struct Labels {
        QString title, unit, axis, incident;
    };
    static void series(QPainter& painter, const QRectF& box, const QJsonArray& series, double lengthSeconds,
                       const QJsonArray& events, const Labels& labels, const QColor& colour,
                       std::optional<double> incidentAt = {});
};
