#include "ui/StyleState.h"

#include <QStyle>
#include <QWidget>

namespace ui {

void setStyleState(QWidget* control, const char* property, const QVariant& value) {
    if (!control || control->property(property) == value) return;
    control->setProperty(property, value);
    control->style()->unpolish(control);
    control->style()->polish(control);
    control->update();
}

}  // namespace ui
