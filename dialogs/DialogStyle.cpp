#include "dialogs/DialogStyle.h"

#include "ui/UiLibrary.h"

#include <QFile>
#include <QWidget>

bool DialogStyle::apply(QWidget& window) {
    QFile file(ui::resourcePath() + kStyleFile);
    if (!file.open(QIODevice::ReadOnly)) return false;
    window.setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}
