#include "report/EvidenceReport.h"

#include "report/RegularFile.h"
#include "report/ReportCharts.h"
#include "report/ReportText.h"

#include <QBuffer>
#include <QElapsedTimer>
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

QString speedText(double kmh, bool imperial, const ReportText& tx) {
    return imperial ? tx.number(kmh * kMph, 1) + " mph" : tx.number(kmh, 1) + " km/h";
}

QString distanceText(double metres, bool imperial, const ReportText& tx) {
    return imperial ? tx.number(metres / 1609.344, 2) + " mi" : tx.number(metres / 1000.0, 2) + " km";
}

QString durationText(double seconds, const ReportText& tx) {
    const long long s = std::llround(seconds);
    return QString::asprintf("%lld:%02lld (", s / 60, s % 60) + tx.number(seconds, 1) + " s)";
}

// How the video was made.
QString videoText(const QJsonObject& in, const ReportText& tx) {
    QString text = in.value("overlay").toBool()
                       ? tx.get("IDS_REPORT_REENCODED", QStringLiteral("re-encoded (H.264/AAC) with the data burned in"))
                       : in.value("inset").toBool()
                             ? tx.get("IDS_REPORT_REENCODED_PLAIN", QStringLiteral("re-encoded (H.264/AAC)"))
                             : tx.get("IDS_REPORT_COPIED", QStringLiteral("the original frames, cut at the key frames "
                                                                          "around the stretch (no re-encoding)"));
    if (in.value("inset").toBool())
        text += QStringLiteral("; ") + tx.get("IDS_REPORT_INSET", QStringLiteral("the other camera inset"));
    return text;
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

// Under a repaired copy: which clip it was repaired from and with which
// reference, with the checksums the repair recorded and how the original
// beside the copy compares now.
double repairLines(QPainter& painter, const ReportText& tx, const QJsonObject& repair, double y, double width,
                   const QFont& body, const QFont& mono) {
    const QString state = repair.value("originalState").toString();
    QString now = tx.get("IDS_REPORT_ORIGINAL_MISSING", QStringLiteral("the original is not beside it"));
    if (state == QLatin1String("matches"))
        now = tx.get("IDS_REPORT_ORIGINAL_MATCHES", QStringLiteral("the original beside it matches"));
    else if (state == QLatin1String("differs"))
        now = tx.get("IDS_REPORT_ORIGINAL_DIFFERS",
                     QStringLiteral("the original beside it no longer matches this checksum"));
    else if (state == QLatin1String("unreadable"))
        now = tx.get("IDS_REPORT_ORIGINAL_UNREADABLE", QStringLiteral("the original beside it cannot be read"));
    painter.setFont(body);
    const QString repaired =
        tx.get("IDS_REPORT_REPAIRED", QStringLiteral("Repaired copy of %1 (its index rebuilt from the reference %2)"))
            .arg(repair.value("original").toString(), repair.value("reference").toString());
    const QRectF words(kMargin, y - 6, width, 60);
    painter.drawText(words, Qt::AlignLeft | Qt::TextWrapAnywhere, repaired);
    y += painter.boundingRect(words, Qt::AlignLeft | Qt::TextWrapAnywhere, repaired).height() - 4;
    painter.setFont(mono);
    painter.drawText(QRectF(kMargin, y, width, 12), Qt::AlignLeft | Qt::TextSingleLine,
                     "SHA-256 " + repair.value("originalSha256").toString());
    y += 12;
    painter.setFont(body);
    painter.drawText(QRectF(kMargin, y, width, 14), Qt::AlignLeft | Qt::TextSingleLine, now);
    y += 14;
    painter.setFont(mono);
    painter.drawText(QRectF(kMargin, y, width, 12), Qt::AlignLeft | Qt::TextSingleLine,
                     "SHA-256 " + repair.value("referenceSha256").toString() + " (" +
                         repair.value("reference").toString() + ")");
    return y + 20;
}

}  // namespace

bool EvidenceReport::write(const QJsonObject& in, QByteArray& bytes, QString& error) {
    QElapsedTimer clock;
    clock.start();
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setResolution(72);  // painter units are points
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    const ReportText tx(in.value("texts").toObject());
    const QString heading = tx.get("IDS_REPORT_TITLE", QStringLiteral("Evidence report"));
    pdf.setTitle(heading);
    pdf.setCreator(QStringLiteral("Veltara DVR Player"));
    QPainter painter;
    if (!painter.begin(&pdf)) {
        error = QStringLiteral("cannot paint the report");
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
    painter.drawText(QRectF(kMargin, y, width, 22), Qt::AlignLeft, heading);
    y += 30;
    painter.setFont(body);

    QString kind = in.value("timeKind").toString();
    if (kind == QLatin1String("camera clock")) kind = tx.get("IDS_REPORT_CAMERA_CLOCK", kind);
    const QJsonArray events = in.value("events").toArray();
    QList<QPair<QString, QString>> rows;
    if (in.value("hasData").toBool()) {
        rows << qMakePair(tx.get("IDS_REPORT_START", QStringLiteral("Start")), in.value("start").toString() + " (" + kind + ")")
             << qMakePair(tx.get("IDS_REPORT_END", QStringLiteral("End")), in.value("end").toString() + " (" + kind + ")");
    } else {
        rows << qMakePair(tx.get("IDS_REPORT_DATA", QStringLiteral("Data")),
                          tx.get("IDS_REPORT_NODATA", QStringLiteral("The clips hold no GPS or G-sensor data for this stretch.")));
    }
    rows << qMakePair(tx.get("IDS_REPORT_DURATION", QStringLiteral("Duration")),
                      durationText(in.value("lengthSeconds").toDouble(), tx))
         << qMakePair(tx.get("IDS_REPORT_DISTANCE", QStringLiteral("Distance")),
                      distanceText(in.value("distanceMetres").toDouble(), imperial, tx))
         << qMakePair(tx.get("IDS_REPORT_TOPSPEED", QStringLiteral("Top speed")),
                      speedText(in.value("topSpeedKmh").toDouble(), imperial, tx))
         << qMakePair(tx.get("IDS_REPORT_AVGSPEED", QStringLiteral("Average speed")),
                      speedText(in.value("averageSpeedKmh").toDouble(), imperial, tx))
         << qMakePair(tx.get("IDS_REPORT_STRONGESTG", QStringLiteral("Strongest G")),
                      in.value("hasG").toBool() ? tx.number(in.value("strongestG").toDouble(), 2) + " G"
                                                : tx.get("IDS_REPORT_NOG", QStringLiteral("no G-sensor data")))
         << qMakePair(tx.get("IDS_REPORT_EVENTS", QStringLiteral("Events")), QString::number(events.size()))
         << qMakePair(tx.get("IDS_REPORT_VIDEO", QStringLiteral("Video")), videoText(in, tx));
    const QString eventAt = tx.get("IDS_REPORT_EVENT_AT", QStringLiteral("at %1 s, %2 G"));
    for (const QJsonValue& value : events) {
        const QJsonObject e = value.toObject();
        rows << qMakePair(QStringLiteral("  ") + tx.eventKind(e.value("kind").toString()),
                          eventAt.arg(tx.number(e.value("at").toDouble(), 1), tx.number(e.value("peakG").toDouble(), 2)));
        if (rows.size() > 24) break;
    }
    y += drawRows(painter, y, width, rows) + 10;

    const double half = (width - 10) / 2;
    ReportCharts::route(painter, QRectF(kMargin, y, half, 200), in.value("route").toArray(), imperial,
                         tx.get("IDS_REPORT_NOROUTE", QStringLiteral("No position in this stretch")));
    QImage frame;
    const QString framePath = in.value("frame").toString();
    QByteArray image;
    QString unread;
    if (!framePath.isEmpty() && RegularFile::read(framePath, 32 * 1024 * 1024, image, unread) &&
        frame.loadFromData(image)) {
        const QSizeF fit = QSizeF(frame.size()).scaled(QSizeF(half, 200), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(kMargin + half + 10, y, fit.width(), fit.height()), frame);
    }
    y += 210;
    const double length = in.value("lengthSeconds").toDouble();
    ReportCharts::series(painter, QRectF(kMargin, y, width, 110), in.value("speed").toArray(), length, events,
                         imperial ? tx.get("IDS_REPORT_SPEED_IMPERIAL", QStringLiteral("Speed (km/h; the figures above in mph)"))
                                  : tx.get("IDS_REPORT_SPEED", QStringLiteral("Speed (km/h)")),
                         QColor(0x1f, 0x6f, 0xd1));
    y += 120;
    ReportCharts::series(painter, QRectF(kMargin, y, width, 110), in.value("g").toArray(), length, events,
                         tx.get("IDS_REPORT_G", QStringLiteral("Horizontal G")), QColor(0xc0, 0x50, 0x20));

    // The source clips, on a page of their own.
    pdf.newPage();
    y = kMargin;
    painter.setFont(title);
    painter.drawText(QRectF(kMargin, y, width, 22), Qt::AlignLeft, tx.get("IDS_REPORT_CLIPS", QStringLiteral("Source clips")));
    y += 30;
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(7);
    const QString span = tx.get("IDS_REPORT_CLIP_SPAN", QStringLiteral("%1 bytes, from %2 to %3"));
    const QJsonArray clips = in.value("clips").toArray();
    for (qsizetype i = 0; i < clips.size(); ++i) {
        if (clock.elapsed() > kBudgetMs) {
            painter.end();
            error = QStringLiteral("the report took longer than %1 s").arg(kBudgetMs / 1000);
            return false;
        }
        if (i == kMaxClipRows) {
            painter.setFont(body);
            painter.drawText(QRectF(kMargin, y, width, 14), Qt::AlignLeft,
                             QStringLiteral("... %1 more (SHA256SUMS lists every one)").arg(clips.size() - i));
            break;
        }
        const QJsonObject clip = clips[i].toObject();
        painter.setFont(body);
        painter.drawText(QRectF(kMargin, y, width, 14), Qt::AlignLeft | Qt::TextSingleLine,
                         clip.value("path").toString());
        y += 14;
        painter.drawText(QRectF(kMargin, y, width, 14), Qt::AlignLeft,
                         span.arg(QString::number(clip.value("size").toDouble(), 'f', 0), clip.value("from").toString(),
                                  clip.value("to").toString()));
        y += 14;
        painter.setFont(mono);
        painter.drawText(QRectF(kMargin, y, width, 12), Qt::AlignLeft, "SHA-256 " + clip.value("sha256").toString());
        y += 20;
        if (clip.contains("repair"))
            y = repairLines(painter, tx, clip.value("repair").toObject(), y, width, body, mono);
        if (y > pdf.height() - kMargin) {
            pdf.newPage();
            y = kMargin;
        }
    }
    if (!painter.end() || bytes.isEmpty()) {
        error = QStringLiteral("cannot finish the report");
        return false;
    }
    return true;
}
