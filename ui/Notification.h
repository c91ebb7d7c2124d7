#pragma once
// A notification from a control to the window that holds it, with the names
// the windows react to. Sent by ui::sendNotify on the UI thread; a receiver
// must not keep the sender pointer beyond the call.
#include <QString>
#include <QWidget>
#include <cstdint>

namespace ui {

inline constexpr const char* UI_NOTIFY_CLICK = "click";
inline constexpr const char* UI_NOTIFY_ITEMACTIVATE = "itemactivate";
inline constexpr const char* UI_NOTIFY_ITEMSELECT = "itemselect";
inline constexpr const char* UI_NOTIFY_DBCLICK = "dbclick";
inline constexpr const char* UI_NOTIFY_VALUECHANGED = "valuechanged";

struct Notification {
    QString type;
    QWidget* sender = nullptr;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;

    // The sender's control name (its objectName), empty without a sender.
    QString senderName() const { return sender ? sender->objectName() : QString(); }
};

}  // namespace ui
