#pragma once
// The language texts of the dialogs: each dialog reads its texts from the
// current language file when it is set up and keeps none. A missing key
// gives an empty text. Everything is shown as plain text.
//
// Threads: UI thread only.
#include "config/ConfigStore.h"

#include <QString>
#include <string_view>

class QWidget;

class DialogText {
public:
    static constexpr std::string_view kMainSection = "Main_Interface";
    static constexpr std::string_view kSnapshotSection = "Snapshot_Interface";

    static QString read(const ConfigStore& store, std::string_view key, std::string_view section);
    // The text of key on control; nothing happens without a control.
    static void show(QWidget* control, const ConfigStore& store, std::string_view key, std::string_view section);
    // A tooltip that shows text as it stands, even when it looks like markup.
    static QString plainToolTip(const QString& text);
};
