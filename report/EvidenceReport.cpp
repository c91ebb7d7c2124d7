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
#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

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

// Outside text as one plain line: control characters become blanks, and it
// is cut where no page could hold it.
QString plainText(const QString& text, int most = 2000) {
    QString out = text.left(most);
    for (QChar& c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    return out;
}

// [latitude, longitude] as decimal degrees with their hemispheres:
// "22.562360° N, 113.936760° E"; "" when it is no place.
QString placeText(const QJsonValue& value, const ReportText& tx) {
    const QJsonArray at = value.toArray();
    if (at.size() != 2 || !at[0].isDouble() || !at[1].isDouble()) return {};
    const double latitude = at[0].toDouble(), longitude = at[1].toDouble();
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90 || std::fabs(longitude) > 180)
        return {};
    const QString decimal = tx.number(0.5, 1).mid(1, 1);
    return tx.number(std::fabs(latitude), 6) + QStringLiteral("° ") + (latitude < 0 ? u'S' : u'N') +
           (decimal == u"," ? QStringLiteral("; ") : QStringLiteral(", ")) + tx.number(std::fabs(longitude), 6) +
           QStringLiteral("° ") + (longitude < 0 ? u'W' : u'E');
}

// The camera clock's offset from UTC, with its spread, or why there is none.
QString clockOffsetText(const QJsonObject& in, const ReportText& tx) {
    const QJsonObject clock = in.value("cameraClock").toObject();
    if (clock.isEmpty())
        return tx.get("IDS_REPORT_CLOCK_UNKNOWN",
                      QStringLiteral("not measured: no clip holds both the camera's time and GPS UTC"));
    const auto signedSeconds = [&tx](double s) { return (s < 0 ? QStringLiteral("-") : QStringLiteral("+")) + tx.number(std::fabs(s), 1); };
    return tx.get("IDS_REPORT_CLOCK_VALUE",
                  QStringLiteral("%1 s ahead of UTC (median of %2 readings; from %3 to %4 s)"))
        .arg(signedSeconds(clock.value("median").toDouble()), QString::number(clock.value("samples").toInteger()),
             signedSeconds(clock.value("min").toDouble()), signedSeconds(clock.value("max").toDouble()));
}

// How the video was made.
QString videoText(const QJsonObject& in, const ReportText& tx) {
    const QString layout = in.value("layout").toString();
    QString text = in.value("overlay").toBool()
                       ? tx.get("IDS_REPORT_REENCODED", QStringLiteral("re-encoded (H.264/AAC) with the data burned in"))
                       : in.value("inset").toBool() || !layout.isEmpty()
                             ? tx.get("IDS_REPORT_REENCODED_PLAIN", QStringLiteral("re-encoded (H.264/AAC)"))
                             : tx.get("IDS_REPORT_COPIED", QStringLiteral("the original frames, cut at the key frames "
                                                                          "around the stretch (no re-encoding)"));
    if (in.value("inset").toBool())
        text += QStringLiteral("; ") + tx.get("IDS_REPORT_INSET", QStringLiteral("the other camera inset"));
    if (!layout.isEmpty())
        text += QStringLiteral("; ") +
                tx.get("IDS_REPORT_CAMERAS", QStringLiteral("every camera of each moment as shown (%1)")).arg(layout);
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

    // Text copied out of the report is the text written: a path's "ff" or
    // "fi" stays two letters, not a ligature (scripts that need shaping keep it).
    QFont plain = painter.font();
    plain.setStyleStrategy(QFont::PreferNoShaping);
    painter.setFont(plain);
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
    // Inputs that write the zone beside the times say where the time came from instead.
    const bool zoned = in.contains("zone");
    const QString zone = plainText(in.value("zone").toString(), 16);
    if (kind == QLatin1String("camera clock"))
        kind = tx.get("IDS_REPORT_CAMERA_CLOCK", kind);
    else if (zoned)
        kind = tx.get("IDS_REPORT_GPS_TIME", QStringLiteral("GPS time"));
    const auto timeText = [&](const QString& time) {
        return plainText(time, 40) + (zone.isEmpty() ? QString() : " " + zone) + " (" + kind + ")";
    };
    const QJsonArray events = in.value("events").toArray();
    QList<QPair<QString, QString>> rows;
    const auto field = [&](const char* key, const char* label, const char* english) {
        const QString text = plainText(in.value(QLatin1String(key)).toString());
        if (!text.trimmed().isEmpty()) rows << qMakePair(tx.get(label, QString::fromUtf8(english)), text);
    };
    field("case", "IDS_REPORT_CASE", "Case");
    field("vehicle", "IDS_REPORT_VEHICLE", "Vehicle");
    field("note", "IDS_REPORT_NOTE", "Note");
    if (in.value("hasData").toBool()) {
        rows << qMakePair(tx.get("IDS_REPORT_START", QStringLiteral("Start")), timeText(in.value("start").toString()))
             << qMakePair(tx.get("IDS_REPORT_END", QStringLiteral("End")), timeText(in.value("end").toString()));
        for (const auto& [key, label, english] :
             {std::tuple{"startPlace", "IDS_REPORT_POSITION_START", "Start position"},
              std::tuple{"endPlace", "IDS_REPORT_POSITION_END", "End position"}}) {
            if (const QString place = placeText(in.value(QLatin1String(key)), tx); !place.isEmpty())
                rows << qMakePair(tx.get(label, QString::fromUtf8(english)), place);
        }
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
    int listed = 0;
    for (const QJsonValue& value : events) {
        const QJsonObject e = value.toObject();
        rows << qMakePair(QStringLiteral("  ") + plainText(tx.eventKind(e.value("kind").toString()), 80),
                          eventAt.arg(tx.number(e.value("at").toDouble(), 1), tx.number(e.value("peakG").toDouble(), 2)));
        if (++listed == 6) break;
    }
    // The incident: what it was, when (in the stretch and on the clock) and where.
    std::optional<double> incidentAt;
    std::optional<QPointF> incidentPlace;
    const QString incidentWord = tx.get("IDS_REPORT_INCIDENT", QStringLiteral("Incident"));
    if (in.value("incident").isObject()) {
        const QJsonObject e = in.value("incident").toObject();
        incidentAt = e.value("at").toDouble();
        QString text = plainText(tx.eventKind(e.value("kind").toString()), 80) + ", " +
                       eventAt.arg(tx.number(*incidentAt, 1), tx.number(e.value("peakG").toDouble(), 2));
        if (const QString time = in.value("incidentTime").toString(); !time.isEmpty()) text += ", " + timeText(time);
        rows << qMakePair(incidentWord, text);
        const QString place = placeText(in.value("incidentPlace"), tx);
        if (!place.isEmpty()) {
            rows << qMakePair(tx.get("IDS_REPORT_POSITION_INCIDENT", QStringLiteral("Incident position")),
                              place);
            const QJsonArray at = in.value("incidentPlace").toArray();
            incidentPlace = QPointF(at[1].toDouble(), at[0].toDouble());
        }
    }
    y += drawRows(painter, y, width, rows) + 10;

    const double half = (width - 10) / 2;
    ReportCharts::route(painter, QRectF(kMargin, y, half, 200), in.value("route").toArray(), imperial,
                         tx.get("IDS_REPORT_NOROUTE", QStringLiteral("No position in this stretch")), incidentPlace);
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
    // The data lies on the stretch; a copied video may begin at a key frame before it.
    const double length = in.value("stretchSeconds").toDouble() > 0.0 ? in.value("stretchSeconds").toDouble()
                                                                       : in.value("lengthSeconds").toDouble();
    const QString axis = tx.get("IDS_REPORT_SECONDS_AXIS", QStringLiteral("seconds into the stretch"));
    const double chartHeight = std::clamp((pdf.height() - kMargin - y - 10) / 2.0, 90.0, 130.0);
    ReportCharts::series(painter, QRectF(kMargin, y, width, chartHeight), in.value("speed").toArray(), length, events,
                         {imperial ? tx.get("IDS_REPORT_SPEED_IMPERIAL", QStringLiteral("Speed (km/h; the figures above in mph)"))
                                   : tx.get("IDS_REPORT_SPEED", QStringLiteral("Speed (km/h)")),
                          QStringLiteral("km/h"), axis, incidentWord},
                         QColor(0x1f, 0x6f, 0xd1), incidentAt);
    y += chartHeight + 10;
    ReportCharts::series(painter, QRectF(kMargin, y, width, chartHeight), in.value("g").toArray(), length, events,
                         {tx.get("IDS_REPORT_G", QStringLiteral("Horizontal G")), QStringLiteral("G"), axis, incidentWord},
                         QColor(0xc0, 0x50, 0x20), incidentAt);

    // Where the report comes from, then the source clips, on a page of their own.
    pdf.newPage();
    y = kMargin;
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setStyleStrategy(QFont::PreferNoShaping);
    mono.setPointSizeF(7);
    if (in.contains("software")) {
        QList<QPair<QString, QString>> about;
        const QString created = plainText(in.value("createdUtc").toString(), 60);
        const QString local = plainText(in.value("createdLocal").toString(), 60);
        about << qMakePair(tx.get("IDS_REPORT_CREATED", QStringLiteral("Report made")),
                           created + (local.isEmpty() ? QString() : "  (" + local + ")"))
              << qMakePair(tx.get("IDS_REPORT_CLOCK", QStringLiteral("Camera clock")), clockOffsetText(in, tx))
              << qMakePair(tx.get("IDS_REPORT_ZONE", QStringLiteral("Time zone used")),
                           zone.isEmpty() ? kind : zone);
        y += drawRows(painter, y, width, about);
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(QRectF(kMargin, y, 150, 15), Qt::AlignLeft | Qt::AlignVCenter,
                         tx.get("IDS_REPORT_SOFTWARE", QStringLiteral("Software")));
        painter.setPen(Qt::black);
        const QStringList versions = in.value("software").toString().left(1000).split(u'\n', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < versions.size() && i < 8; ++i) {
            painter.drawText(QRectF(kMargin + 150, y, width - 150, 15), Qt::AlignLeft | Qt::AlignVCenter,
                             plainText(versions[i], 200));
            y += 15;
        }
        y += 15;
    }
    painter.setFont(title);
    painter.drawText(QRectF(kMargin, y, width, 22), Qt::AlignLeft, tx.get("IDS_REPORT_CLIPS", QStringLiteral("Source clips")));
    y += 30;
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
    // Which files of the folder are the originals, untouched, and which were made from them.
    const auto names = [](const QJsonArray& list) {
        QStringList shown;
        for (qsizetype i = 0; i < list.size() && i < kMaxClipRows; ++i) shown << list[i].toString();
        if (list.size() > kMaxClipRows) shown << QStringLiteral("...");
        return plainText(shown.join(QStringLiteral(", ")), 4000);
    };
    const QJsonArray originals = in.value("originals").toArray();
    const QJsonArray derived = in.value("derived").toArray();
    for (const auto& [key, english, list] :
         {std::tuple{"IDS_REPORT_ORIGINALS", "Original clips, copied untouched: %1", originals},
          std::tuple{"IDS_REPORT_DERIVED", "Made from them: %1", derived}}) {
        if (list.isEmpty()) continue;
        if (y > pdf.height() - kMargin - 48) {
            pdf.newPage();
            y = kMargin;
        }
        painter.setFont(body);
        const QString line = tx.get(key, QString::fromUtf8(english)).arg(names(list));
        const QRectF box(kMargin, y, width, 42);
        const QRectF used = painter.boundingRect(box, Qt::AlignLeft | Qt::TextWordWrap, line);
        painter.drawText(box, Qt::AlignLeft | Qt::TextWordWrap, line);
        y += std::min(used.height(), 42.0) + 6;
    }
    // The custody log, line by line as it stands (each line may be long: it is cut).
    const QJsonArray custody = in.value("custody").toArray();
    if (!custody.isEmpty()) {
        if (y > pdf.height() - kMargin - 60) {
            pdf.newPage();
            y = kMargin;
        }
        y += 10;
        painter.setFont(title);
        painter.drawText(QRectF(kMargin, y, width, 22), Qt::AlignLeft,
                         tx.get("IDS_REPORT_CUSTODY", QStringLiteral("Custody log")));
        y += 30;
        painter.setFont(mono);
        for (qsizetype i = 0; i < custody.size() && i < kMaxClipRows; ++i) {
            if (clock.elapsed() > kBudgetMs) break;
            const QString line = plainText(custody[i].toString(), 4000);
            const QRectF box(kMargin, y, width, 48);
            const QRectF used = painter.boundingRect(box, Qt::AlignLeft | Qt::TextWrapAnywhere, line);
            painter.drawText(box, Qt::AlignLeft | Qt::TextWrapAnywhere, line);
            y += std::min(used.height(), 48.0) + 6;
            if (y > pdf.height() - kMargin - 48) {
                pdf.newPage();
                y = kMargin;
            }
        }
    }
    if (!painter.end() || bytes.isEmpty()) {
        error = QStringLiteral("cannot finish the report");
        return false;
    }
    return true;
}
