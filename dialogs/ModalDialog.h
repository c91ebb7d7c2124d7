#pragma once
// Runs a dialog built from a skin modally over the main window, the way
// every dialog of the program is run: built as a dialog of its parent,
// named (the name is its objectName, which the test driver looks for),
// given a fixed size that fits its texts, centred on the parent and run until it closes.
// While it runs, Active() gives the dialog, so that its controls can be
// found by name (QApplication::activeModalWidget() gives it as well).
//
// Threads: UI thread only. The caller creates and deletes the dialog; the
// parent must outlive the run (the main window closes its dialogs before it
// goes).
#include <QString>

class QWidget;
namespace ui {
class CXMLWnd;
}

class ModalDialog {
public:
    // Builds the skin (InitWindow runs), sizes and centres the window. False
    // when the skin cannot be built.
    static bool Prepare(ui::CXMLWnd& window, QWidget* parent, const QString& name);
    // Prepare, then the modal run. Returns the close code (ui::IDOK,
    // ui::IDCANCEL), or 0 when the skin cannot be built.
    static int Run(ui::CXMLWnd& window, QWidget* parent, const QString& name);
    // The innermost dialog running now, or nullptr.
    static ui::CXMLWnd* Active();
};
