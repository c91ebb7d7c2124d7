#include "ui/JumpClickStyle.h"

namespace ui {

JumpClickStyle::JumpClickStyle(QStyle* base) : QProxyStyle(base) {}

int JumpClickStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

}  // namespace ui
