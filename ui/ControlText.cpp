#include "ui/ControlText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>

namespace ui {

namespace {

// A one-line text wider than the room its window has (never more than the
// screen) ends in an ellipsis there: a long text from a language file must
// not push its window past the screen. Texts that fit stay as they are.
QString fitted(const QWidget* control, const QString& text) {
    if (text.contains(QLatin1Char('\n'))) return text;
    const QWidget* window = control->window();
    int room = window->width() - (window == control ? 0 : control->mapTo(window, QPoint(0, 0)).x());
    if (const QScreen* screen = control->screen()) room = std::min(room, screen->availableGeometry().width());
    const QFontMetrics metrics(control->font());
    if (room <= 0 || metrics.horizontalAdvance(text) <= room) return text;
    return metrics.elidedText(text, Qt::ElideRight, room);
}

}  // namespace

void setControlText(QWidget* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(label->wordWrap() ? text : fitted(label, text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        // "&" would mark a shortcut key; a text from outside means the character.
        button->setText(fitted(button, text).replace('&', QStringLiteral("&&")));
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
