#include "ui/ControlText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace ui {

void setControlText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        // "&" would mark a shortcut key; a text from outside means the character.
        button->setText(QString(text).replace('&', QStringLiteral("&&")));
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable()) combo->setEditText(text);
    }
}

QString controlText(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText();
    return {};
}

}  // namespace ui
