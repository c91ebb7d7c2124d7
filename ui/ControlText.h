#pragma once
// Text of a control, whatever its kind (label, button, check box, edit
// field, combo box). Labels show it as plain text: texts from outside (track
// texts, file names, language files) are never read as markup. A one-line
// label or button text wider than its window (or the screen) is elided to
// fit, so no text from outside widens a window past the screen.
//
// Threads: UI thread only.
#include <QString>

class QWidget;

namespace ui {

void setControlText(QWidget* control, const QString& text);
QString controlText(const QWidget* control);

}  // namespace ui
