#pragma once
// CDuiCleanTipWnd: asks before the playlist is emptied ("CleanTipWnd.xml"),
// while the cleanTip setting is on. OK closes with ui::IDOK, Cancel and the
// close control with ui::IDCANCEL. A ticked "do not show again" box turns
// cleanTip off in AppConfig and the configuration file however the window
// closes; only OK clears the playlist this time.
//
// Threads: UI thread only.
// Start and stop: created, run and deleted by ConfirmClear (ModalDialog).
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "ui/CXMLWnd.h"

class QAbstractButton;

class CDuiCleanTipWnd : public ui::CXMLWnd {
public:
    static constexpr const char* kSkinFile = "CleanTipWnd.xml";
    static constexpr const char* kWindowName = "CleanTipWindow";

    CDuiCleanTipWnd(QString skinFile, AppConfig& config, ConfigStore& store);

    void InitWindow() override;
    void OnClick(const ui::Notification& msg) override;
    void OnDestroy() override;

private:
    AppConfig& config_;
    ConfigStore& store_;
    QAbstractButton* againCheck_ = nullptr;
};
