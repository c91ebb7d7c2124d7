#pragma once
// CDuiSettingWnd: the settings window ("Setting.xml"). The user picks the
// interface language, the player's video and sound output, the sound card
// for DirectSound output, the units of speeds and distances, the time zone
// of the times in a clip's data and whether snapshots are previewed; the
// window shows the program's version. OK writes every choice into AppConfig
// and the configuration file, Cancel and the close control write nothing.
// Outputs and sound card take effect at the next start, the language when
// the caller applies it, the units when the caller shows them anew, the time
// zone with the next clip, the preview choice at the next snapshot.
//
// Threads: UI thread only. The sound card list is asked for once, inside
// InitWindow, and blocks it for at most the source's own time limit.
// Start and stop: created, run and deleted by OpenSettings (ModalDialog);
// nothing of it survives except what OK wrote.
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "dialogs/OutputTable.h"
#include "telemetry/DisplayZone.h"
#include "ui/CXMLWnd.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

class QAbstractButton;
class QComboBox;

class CDuiSettingWnd : public ui::CXMLWnd {
public:
    static constexpr const char* kSkinFile = "Setting.xml";
    static constexpr const char* kWindowName = "SettingWnd";

    // The sound cards in the player's numbering (SoundCardList::query).
    using SoundCardSource = std::function<std::vector<std::string>()>;

    CDuiSettingWnd(QString skinFile, AppConfig& config, ConfigStore& store, SoundCardSource soundCards);

    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    void OnClick(const ui::Notification& msg) override;

private:
    void showTexts();
    void fillLanguages();
    void fillOutputs();
    void fillSoundCards();
    void fillUnits();
    void fillTimeZones();
    void enableSoundCards(bool enable);
    // OK: every combo without a selection leaves its setting as it was.
    void applyChoices();

    AppConfig& config_;
    ConfigStore& store_;
    SoundCardSource soundCardSource_;

    QComboBox* languageCombo_ = nullptr;
    QComboBox* videoCombo_ = nullptr;
    QComboBox* soundCombo_ = nullptr;
    QComboBox* soundCardCombo_ = nullptr;
    QComboBox* unitsCombo_ = nullptr;  // items in the order of the stored values
    QComboBox* timeZoneCombo_ = nullptr;
    std::vector<DisplayZone> timeZones_;  // the zone of each item, in item order
    QAbstractButton* previewCheck_ = nullptr;
    std::span<const OutputRow> videoTable_;
    std::span<const OutputRow> soundTable_;
    int storedVideoRow_ = -1;  // the rows the configured values opened on
    int storedSoundRow_ = -1;
    std::vector<int32_t> soundCards_;  // the device number of each item, in item order
    // Selections made while the window is set up are no user choices.
    bool notifying_ = false;
};
