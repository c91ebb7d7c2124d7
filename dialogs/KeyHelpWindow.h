#pragma once
// The list of the main window's keys, in a small window over it: one row
// per key or pair of keys and what it does, in the current language.
// Opened window-modal without waiting, so playback and the window's
// messages go on; it closes with its button or Escape and deletes itself.
//
// Threads: UI thread only.
#include "config/ConfigStore.h"

#include <QString>
#include <vector>

class QWidget;

namespace dialogs {

struct KeyHelpRow {
    QString keys;          // as written on the keyboard: "Shift+Left / Shift+Right"
    const char* textKey;   // the language key of what they do
    const char* fallback;  // shown when the language file lacks the key
};

// The window's object name is "KeyHelp"; returns it (owned by parent).
QWidget* ShowKeyHelp(QWidget* parent, const ConfigStore& store, const std::vector<KeyHelpRow>& rows);

}  // namespace dialogs
