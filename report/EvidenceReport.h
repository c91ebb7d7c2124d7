#pragma once
// report.pdf of an export: the figures of the stretch, its route (north up,
// with a scale, no map tiles), its speed and G over time with the events
// marked, a frame of the video, and the source clips with their checksums.
// The input is the JSON an export writes (evidence/ReportInput); every text
// in it is drawn as plain text. The frame is read only when it is a
// regular file; the clips' list is cut at kMaxClipRows, and painting gives
// up after kBudgetMs, so no input makes the report run on.
//
// Threads: the GUI thread of a QGuiApplication (fonts and painting).
#include <QByteArray>
#include <QJsonObject>
#include <QString>

class EvidenceReport {
public:
    static constexpr int kMaxClipRows = 400;
    static constexpr qint64 kBudgetMs = 30'000;

    // The PDF, made in memory: nothing is written unless it is whole.
    static bool write(const QJsonObject& input, QByteArray& pdf, QString& error);
};
