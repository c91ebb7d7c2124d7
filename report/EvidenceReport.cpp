#include "report/EvidenceReport.h"

#include "report/ReportCharts.h"

#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QJsonArray>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cmath>

namespace {

constexpr double kMargin = 40.0;
constexpr double kMph = 0.621371;

QString speedText(double kmh, bool imperial) {
    return imperial ? QString::number(kmh * kMph, 'f', 1) + " mph" : QString::number(kmh, 'f', 1) + " km/h";
}

QString distanceText(double metres, bool imperial) {
    return imperial ? QString::number(metres / 1609.344, 'f', 2) + " mi" : QString::number(metres / 1000.0, 'f', 2) + " km";
}

QString durationText(double seconds) {
    const long long s = std::llround(seconds);
    return QString::asprintf("%lld:%02lld (%.1f s)", s / 60, s % 60, seconds);
}

// Label and value rows; returns the height used.
double drawRows(QPainter& painter, double top, double width, const QList<QPair<QString, QString>>& rows) {
    const double line = 15.0;
    for (int i = 0; i < rows.size(); ++i) {
        const double y = top + static_cast<double>(i) * line;
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(QRectF(kMargin, y, 150, line), Qt::AlignLeft | Qt::AlignVCenter, rows[i].first);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(kMargin + 150, y, width - 150, line), Qt::AlignLeft | Qt::AlignVCenter, rows[i].second);
    }
    return static_cast<double>(rows.size()) * line;
}

}  // namespace

bool EvidenceReport::write(const QJsonObject& in, const QString& pdfPath, QString& error) {
    QPdfWriter pdf(pdfPath);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(72);  // painter units are points
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(QStringLiteral("Evidence report"));
    pdf.setCreator(QStringLiteral("Veltara DVR Player"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        error = QStringLiteral("cannot write ") + pdfPath;
        return false;
    }
    const double width = pdf.width() - 2 * kMargin;
    const bool imperial = in.value("imperial").toBool();
    double y = kMargin;

    QFont title = painter.font();
    title.setPointSizeF(16);
    title.setBold(true);
    QFont body = painter.font();
    body.setPointSizeF(9);
    painter.setFont(title);
    painter.drawText(QRectF(kMargin, y, width, 22), Qt::AlignLeft, QStringLiteral("Evidence report"));
    y += 30;
    painter.setFont(body);

    const QString kind = in.value("timeKind").toString();
    const QJsonArray events = in.value("events").toArray();
    QList<QPair<QString, QString>> rows;
    if (in.value("hasData").toBool()) {
        rows << qMakePair(QStringLiteral("Start"), in.value("start").toString() + " (" + kind + ")")
             << qMakePair(QStringLiteral("End"), in.value("end").toString() + " (" + kind + ")");
    } else {
        rows << qMakePair(QStringLiteral("Data"), QStringLiteral("The clips hold no GPS or G-sensor data for this stretch."));
    }
    rows << qMakePair(QStringLiteral("Duration"), durationText(in.value("lengthSeconds").toDouble()))
         << qMakePair(QStringLiteral("Distance"), distanceText(in.value("distanceMetres").toDouble(), imperial))
         << qMakePair(QStringLiteral("Top speed"), speedText(in.value("topSpeedKmh").toDouble(), imperial))
         << qMakePair(QStringLiteral("Average speed"), speedText(in.value("averageSpeedKmh").toDouble(), imperial))
         << qMakePair(QStringLiteral("Strongest G"), in.value("hasG").toBool()
                                                         ? QString::number(in.value("strongestG").toDouble(), 'f', 2) + " G"
                                                         : QStringLiteral("no G-sensor data"))
         << qMakePair(QStringLiteral("Events"), QString::number(events.size()))
         << qMakePair(QStringLiteral("Video"),
                      in.value("overlay").toBool()
                          ? QStringLiteral("re-encoded (H.264/AAC) with the data burned in")
                          : QStringLiteral("the original frames, cut at the key frames around the stretch (no re-encoding)"));
    for (const QJsonValue& value : events) {
        const QJsonObject e = value.toObject();
        rows << qMakePair(QStringLiteral("  ") + e.value("kind").toString(),
                          QString::asprintf("at %.1f s, %.2f G", e.value("at").toDouble(), e.value("peakG").toDouble()));
        if (rows.size() > 24) break;
    }
    y += drawRows(painter, y, width, rows) + 10;

    const double half = (width - 10) / 2;
    ReportCharts::route(painter, QRectF(kMargin, y, half, 200), in.value("route").toArray(), imperial);
    QImage frame;
    const QString framePath = in.value("frame").toString();
    if (!framePath.isEmpty() && frame.load(framePath)) {
        const QSizeF fit = QSizeF(frame.size()).scaled(QSizeF(half, 200), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(kMargin + half + 10, y, fit.width(), fit.height()), frame);
    }
    y += 210;
    const double length = in.value("lengthSeconds").toDouble();
    ReportCharts::series(painter, QRectF(kMargin, y, width, 110), in.value("speed").toArray(), length, events,
                         imperial ? QStringLiteral("Speed (km/h; the figures above in mph)") : QStringLiteral("Speed (km/h)"),
                         QColor(0x1f, 0x6f, 0xd1));
    y += 120;
    ReportCharts::series(painter, QRectF(kMargin, y, width, 110), in.value("g").toArray(), length, events,
                         QStringLiteral("Horizontal G"), QColor(0xc0, 0x50, 0x20));

    // The source clips, on a page of their own.
    pdf.newPage();
    y = kMargin;
    painter.setFont(title);
    painter.drawText(QRectF(kMargin, y, width, 22), Qt::AlignLeft, QStringLiteral("Source clips"));
    y += 30;
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(7);
    for (const QJsonValue& value : in.value("clips").toArray()) {
        const QJsonObject clip = value.toObject();
        painter.setFont(body);
        painter.drawText(QRectF(kMargin, y, width, 14), Qt::AlignLeft | Qt::TextSingleLine,
                         clip.value("path").toString());
        y += 14;
        painter.drawText(QRectF(kMargin, y, width, 14), Qt::AlignLeft,
                         QString::number(clip.value("size").toDouble(), 'f', 0) + " bytes, from " +
                             clip.value("from").toString() + " to " + clip.value("to").toString());
        y += 14;
        painter.setFont(mono);
        painter.drawText(QRectF(kMargin, y, width, 12), Qt::AlignLeft, "SHA-256 " + clip.value("sha256").toString());
        y += 20;
        if (y > pdf.height() - kMargin) {
            pdf.newPage();
            y = kMargin;
        }
    }
    if (!painter.end()) {
        error = QStringLiteral("cannot finish ") + pdfPath;
        return false;
    }
    return QFile(pdfPath).size() > 0;
}
