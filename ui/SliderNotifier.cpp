#include "ui/SliderNotifier.h"

#include "ui/ControlNotifications.h"

namespace ui {

SliderNotifier* SliderNotifier::attach(QAbstractSlider* slider) {
    if (!slider) return nullptr;
    if (auto* existing = slider->findChild<SliderNotifier*>(QString(), Qt::FindDirectChildrenOnly)) return existing;
    return new SliderNotifier(slider);
}

void SliderNotifier::setProgramValue(QAbstractSlider* slider, int value) {
    if (slider && !slider->isSliderDown()) slider->setValue(value);
}

SliderNotifier::SliderNotifier(QAbstractSlider* slider) : QObject(slider), slider_(slider) {
    connect(slider, &QAbstractSlider::actionTriggered, this, &SliderNotifier::onAction);
    connect(slider, &QAbstractSlider::valueChanged, this, &SliderNotifier::onValueChanged);
    connect(slider, &QAbstractSlider::sliderReleased, this, &SliderNotifier::onReleased);
}

void SliderNotifier::onAction(int) {
    // Every user input reaches the value through triggerAction, which emits
    // this signal with the new position set and then calls setValue. The value
    // changes exactly when the position differs from it; an action that
    // changes nothing (a key at the end) must not leave the flag set for a
    // later setValue of the program.
    userChangePending_ = slider_->sliderPosition() != slider_->value();
}

void SliderNotifier::onValueChanged(int value) {
    if (!userChangePending_) return;
    userChangePending_ = false;
    if (slider_->isSliderDown()) {
        draggedChange_ = true;  // told once, when the handle is let go
        return;
    }
    sendNotify(slider_, UI_NOTIFY_VALUECHANGED, static_cast<uintptr_t>(value));
}

void SliderNotifier::onReleased() {
    if (!draggedChange_) return;
    draggedChange_ = false;
    sendNotify(slider_, UI_NOTIFY_VALUECHANGED, static_cast<uintptr_t>(slider_->value()));
}

}  // namespace ui
