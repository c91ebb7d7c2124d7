// veltara-report INPUT.json OUTPUT.pdf: writes the report of an export.
// Started by the export (the tool's and the player's) so that the tool
// itself never loads Qt. The input is read only as a regular file; the
// output is made new and whole, or not at all.
#include "report/EvidenceReport.h"
#include "report/RegularFile.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: veltara-report INPUT.json OUTPUT.pdf\n", stderr);
        return 2;
    }
    // Fonts and painting need a GUI application, never a display.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QByteArray bytes;
    QString error;
    if (!RegularFile::read(QString::fromLocal8Bit(argv[1]), 64 * 1024 * 1024, bytes, error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    QJsonParseError parse;
    const QJsonDocument input = QJsonDocument::fromJson(bytes, &parse);
    if (!input.isObject()) {
        std::fprintf(stderr, "%s is not a report input\n", argv[1]);
        return 1;
    }
    QByteArray pdf;
    if (!EvidenceReport::write(input.object(), pdf, error) ||
        !RegularFile::writeNew(QString::fromLocal8Bit(argv[2]), pdf, error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
