#pragma once
// The application style: the base style with sliders that jump to the point
// the left button clicks, as users of a player expect of a position bar.
//
// Threads: UI thread; owned by the application once installed.
#include <QProxyStyle>

namespace ui {

class JumpClickStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit JumpClickStyle(QStyle* base = nullptr);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

}  // namespace ui
