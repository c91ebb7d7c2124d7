#pragma once
// CDuiShowSnapsTipWnd: tells where a snapshot was written
// ("ShowSnapshotPath.xml"), while the snapshotPreview setting is off. The
// path stands in a read-only edit field, so it can be copied.
//
// Threads: UI thread only.
// Start and stop: created, given the path (SetSnapshotPath) before it is
// built, run and deleted by ShowSnapshotPath (ModalDialog).
#include "config/ConfigStore.h"
#include "ui/CXMLWnd.h"

class CDuiShowSnapsTipWnd : public ui::CXMLWnd {
public:
    static constexpr const char* kSkinFile = "ShowSnapshotPath.xml";
    static constexpr const char* kWindowName = "ShowSnapsTipWindow";

    CDuiShowSnapsTipWnd(QString skinFile, const ConfigStore& store);

    void SetSnapshotPath(QString snapshotPath) { snapshotPath_ = std::move(snapshotPath); }

    void InitWindow() override;
    void OnClick(const ui::Notification& msg) override;

private:
    const ConfigStore& store_;
    QString snapshotPath_;
};
