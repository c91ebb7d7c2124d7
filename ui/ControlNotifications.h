#pragma once
// How controls reach their window: sendNotify hands a notification first to
// the sender's event source, then to the Notify of the CXMLWnd that holds
// the sender. connectNotifications wires the standard Qt controls of a skin.
//
// Threads: UI thread only.
#include "ui/Notification.h"

namespace ui {

class CXMLWnd;

void sendNotify(QWidget* sender, const QString& type, uintptr_t wParam = 0, intptr_t lParam = 0);

// The CXMLWnd the control belongs to, or nullptr.
CXMLWnd* ownerWindow(QWidget* control);

// Buttons and check boxes send "click"; sliders "valuechanged" for changes
// the user makes; combo boxes "itemselect" (wParam the new index, lParam
// the previous one); item views "itemactivate" (wParam the row). Other
// controls are left alone. Custom controls send their own notifications.
void connectNotifications(QWidget* control);

}  // namespace ui
