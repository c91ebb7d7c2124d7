#pragma once
// The notice windows as the main window runs them, each modally over parent
// and returning once it has closed.
//
// Threads: UI thread only.
#include "config/AppConfig.h"
#include "config/ConfigStore.h"

#include <cstdint>
#include <string>

class QWidget;

namespace dialogs {

// The clear-playlist confirmation, for the clear command while cleanTip is
// on. True after OK: the caller then empties the playlist (model and tree)
// and stops playback. False otherwise; nothing is cleared.
bool ConfirmClear(QWidget* parent, AppConfig& config, ConfigStore& store);

// A snapshot the player has just written: the preview while snapshotPreview
// is on, else the path notice (the main window chooses and pauses playback
// meanwhile). width and height are the video picture's size; 0 or less when
// unknown (the picture then fills the preview area).
void ShowSnapshotPreview(QWidget* parent, AppConfig& config, ConfigStore& store, const std::string& path, int32_t width,
                         int32_t height);
void ShowSnapshotPath(QWidget* parent, const ConfigStore& store, const std::string& path);

}  // namespace dialogs
