#pragma once
// The settings button of the main window: runs the settings window modally
// over parent and, after OK with another language chosen, points the
// configuration store at the new language file; after OK with another
// language or other units it calls relabel, which re-reads and shows the
// main window's texts. The open dialog's filter is
// not rebuilt: it keeps the language of the start.
//
// Threads: UI thread only; returns when the window has closed.
#include "config/AppConfig.h"
#include "config/ConfigStore.h"

#include <functional>
#include <string>

class QWidget;

namespace dialogs {

// programFolder ends in "/"; the player engine there lists the sound cards.
// Returns the window's close code (ui::IDOK, ui::IDCANCEL; 0 without a skin).
int OpenSettings(QWidget* parent, AppConfig& config, ConfigStore& store, const std::string& programFolder,
                 const std::function<void()>& relabel);

}  // namespace dialogs
