#pragma once
// The look of the dialogs: the skin folder's "dialogs.qss", applied to each
// dialog window on top of the application's style sheet (style.qss), so the
// dialogs carry their own rules without touching the main window's.
//
// Threads: UI thread only.
class QWidget;

class DialogStyle {
public:
    static constexpr const char* kStyleFile = "dialogs.qss";

    // False when the file cannot be read; the window keeps the application's look.
    static bool apply(QWidget& window);
};
