#pragma once
// CDuiSnapshotTipWnd: the preview of a snapshot the player has just written
// ("Snapshot.xml"), while the snapshotPreview setting is on: the picture
// fitted into a 600 x 338 area, the file's path in the title. A ticked
// "do not show again" box turns snapshotPreview off in AppConfig and the
// configuration file when the window closes (by its close control, Escape
// or the window manager).
//
// Threads: UI thread only.
// Start and stop: created, given the picture (SetPicture) before it is
// built, run and deleted by ShowSnapshotPreview (ModalDialog).
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "ui/CXMLWnd.h"

#include <cstdint>

class QAbstractButton;

class CDuiSnapshotTipWnd : public ui::CXMLWnd {
public:
    static constexpr const char* kSkinFile = "Snapshot.xml";
    static constexpr const char* kWindowName = "SnapshotTipWnd";
    // The control inside "SnapshotPreviewer" that shows the picture.
    static constexpr const char* kPictureName = "SnapshotPicture";

    CDuiSnapshotTipWnd(QString skinFile, AppConfig& config, ConfigStore& store);

    // The snapshot file and the size of the video picture in pixels (0 when
    // the player did not report it).
    void SetPicture(QString snapshotPath, uint32_t pictureWidth, uint32_t pictureHeight);

    void InitWindow() override;
    void OnDestroy() override;

private:
    void placePicture();

    AppConfig& config_;
    ConfigStore& store_;
    QString snapshotPath_;
    uint32_t pictureWidth_ = 0;
    uint32_t pictureHeight_ = 0;
    QAbstractButton* againCheck_ = nullptr;
};
