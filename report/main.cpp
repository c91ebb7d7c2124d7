// veltara-report INPUT.json OUTPUT.pdf: writes the report of an export.
// Started by the export (the tool's and the player's) so that the tool
// itself never loads Qt.
#include "report/EvidenceReport.h"

#include <QFile>
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
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    QJsonParseError parse;
    const QJsonDocument input = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!input.isObject()) {
        std::fprintf(stderr, "%s is not a report input\n", argv[1]);
        return 1;
    }
    QString error;
    if (!EvidenceReport::write(input.object(), QString::fromLocal8Bit(argv[2]), error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
