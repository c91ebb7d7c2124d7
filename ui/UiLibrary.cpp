#include "ui/UiLibrary.h"

#include "platform/ProgramFolder.h"
#include "ui/JumpClickStyle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QStyleFactory>

namespace ui {

namespace {
QString& resourceFolder() {
    static QString folder;
    return folder;
}
}  // namespace

QString instancePath() {
    return QString::fromStdString(platform::programFolder());
}

void setResourcePath(const QString& folder) {
    QString path = folder;
    if (!path.endsWith('/')) path += '/';
    resourceFolder() = path;
    QDir::setSearchPaths("skin", {path});
}

QString resourcePath() {
    if (resourceFolder().isEmpty()) setResourcePath(instancePath() + "skin/");
    return resourceFolder();
}

bool loadStyleSheet(const QString& fileName) {
    QFile file(resourcePath() + fileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

void installStyle() {
    QApplication::setStyle(new JumpClickStyle(QStyleFactory::create("Fusion")));
    // A dark palette under the style sheet, so that whatever the sheet does
    // not name (menus, dialogs of Qt, disabled texts) matches it.
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x10, 0x12, 0x16));
    palette.setColor(QPalette::WindowText, QColor(0xdf, 0xe3, 0xe8));
    palette.setColor(QPalette::Base, QColor(0x17, 0x1a, 0x20));
    palette.setColor(QPalette::AlternateBase, QColor(0x1b, 0x1f, 0x26));
    palette.setColor(QPalette::Text, QColor(0xdf, 0xe3, 0xe8));
    palette.setColor(QPalette::Button, QColor(0x1e, 0x23, 0x2b));
    palette.setColor(QPalette::ButtonText, QColor(0xdf, 0xe3, 0xe8));
    palette.setColor(QPalette::Highlight, QColor(0x2f, 0x7d, 0xe1));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x20, 0x25, 0x2d));
    palette.setColor(QPalette::ToolTipText, QColor(0xe3, 0xe7, 0xec));
    palette.setColor(QPalette::PlaceholderText, QColor(0x6b, 0x74, 0x80));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(0x5d, 0x65, 0x70));
    }
    QApplication::setPalette(palette);
}

void setupUiLibrary() {
    setResourcePath(instancePath() + "skin/");
    installStyle();
    loadStyleSheet("style.qss");
}

}  // namespace ui
