#pragma once
// Makes a slider send "valuechanged" only for changes the user makes: a
// click on the groove, the keys, the wheel, and a drag once it is released.
// Values the program sets (setValue) never notify, so that showing the play
// position does not seek. wParam carries the new value.
//
// Threads: UI thread only. Lives as a child of its slider.
#include <QAbstractSlider>
#include <QObject>

namespace ui {

class SliderNotifier : public QObject {
    Q_OBJECT
public:
    // Idempotent: a slider gets one notifier.
    static SliderNotifier* attach(QAbstractSlider* slider);

    // Sets the value for the program, unless the user is holding the handle:
    // the position shown then stays where the user drags it.
    static void setProgramValue(QAbstractSlider* slider, int value);

private:
    explicit SliderNotifier(QAbstractSlider* slider);
    void onAction(int action);
    void onValueChanged(int value);
    void onReleased();

    QAbstractSlider* slider_;
    bool userChangePending_ = false;  // a user action is about to change the value
    bool draggedChange_ = false;      // the value changed during the current drag
};

}  // namespace ui
