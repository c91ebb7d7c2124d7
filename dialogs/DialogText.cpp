#include "dialogs/DialogText.h"

#include "ui/ControlText.h"

#include <QTextDocument>

QString DialogText::read(const ConfigStore& store, std::string_view key, std::string_view section) {
    return QString::fromStdString(store.ReadLanguageString(key, section));
}

void DialogText::show(QWidget* control, const ConfigStore& store, std::string_view key, std::string_view section) {
    if (control) ui::setControlText(control, read(store, key, section));
}

QString DialogText::plainToolTip(const QString& text) {
    // Qt guesses whether a tooltip is markup; text that looks like it is
    // escaped and marked as markup, so that it shows literally.
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
