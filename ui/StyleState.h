#pragma once
// A state of a control that the style sheet can show, as a property the
// sheet selects on (QLabel#LabelPositionStatus[gpsFix="true"]). Qt reads
// such properties when it styles a control, so a change restyles it.
//
// Threads: UI thread only.
#include <QVariant>

class QWidget;

namespace ui {

void setStyleState(QWidget* control, const char* property, const QVariant& value);

}  // namespace ui
