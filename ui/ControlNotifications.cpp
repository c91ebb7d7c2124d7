#include "ui/ControlNotifications.h"

#include "ui/CXMLWnd.h"
#include "ui/EventSource.h"
#include "ui/SliderNotifier.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QComboBox>
#include <QPointer>

namespace ui {

CXMLWnd* ownerWindow(QWidget* control) {
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* window = qobject_cast<CXMLWnd*>(w)) return window;
    }
    return nullptr;
}

void sendNotify(QWidget* sender, const QString& type, uintptr_t wParam, intptr_t lParam) {
    if (!sender) return;
    const Notification notification{type, sender, wParam, lParam};
    QPointer<QWidget> alive(sender);
    if (EventSource* source = EventSource::find(sender)) source->fire(notification);
    // A delegate may have destroyed the control; the window then hears nothing.
    if (!alive) return;
    if (CXMLWnd* window = ownerWindow(sender)) window->Notify(notification);
}

void connectNotifications(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, button, [button] { sendNotify(button, UI_NOTIFY_CLICK); });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        SliderNotifier::attach(slider);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // The previous index travels in a property, so that it belongs to the combo.
        combo->setProperty("veltaraPreviousIndex", combo->currentIndex());
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [combo](int index) {
            const int previous = combo->property("veltaraPreviousIndex").toInt();
            combo->setProperty("veltaraPreviousIndex", index);
            sendNotify(combo, UI_NOTIFY_ITEMSELECT, static_cast<uintptr_t>(index), previous);
        });
    } else if (auto* view = qobject_cast<QAbstractItemView*>(control)) {
        QObject::connect(view, &QAbstractItemView::activated, view, [view](const QModelIndex& index) {
            sendNotify(view, UI_NOTIFY_ITEMACTIVATE, static_cast<uintptr_t>(index.row()));
        });
    }
}

}  // namespace ui
