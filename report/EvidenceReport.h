#pragma once
// report.pdf of an export: the figures of the stretch, its route (north up,
// with a scale, no map tiles), its speed and G over time with the events
// marked, a frame of the video, and the source clips with their checksums.
// The input is the JSON an export writes (evidence/ReportInput); every text
// in it is drawn as plain text.
//
// Threads: the GUI thread of a QGuiApplication (fonts and painting).
#include <QJsonObject>
#include <QString>

class EvidenceReport {
public:
    static bool write(const QJsonObject& input, const QString& pdfPath, QString& error);
};
