#include "dialogs/NoticeWindows.h"

#include "dialogs/CDuiCleanTipWnd.h"
#include "dialogs/CDuiShowSnapsTipWnd.h"
#include "dialogs/CDuiSnapshotTipWnd.h"
#include "dialogs/ModalDialog.h"

namespace dialogs {

namespace {
uint32_t pictureSide(int32_t pixels) {
    return pixels > 0 ? static_cast<uint32_t>(pixels) : 0u;
}
}  // namespace

bool ConfirmClear(QWidget* parent, AppConfig& config, ConfigStore& store) {
    CDuiCleanTipWnd window(CDuiCleanTipWnd::kSkinFile, config, store);
    return ModalDialog::Run(window, parent, CDuiCleanTipWnd::kWindowName) == ui::IDOK;
}

void ShowSnapshotPreview(QWidget* parent, AppConfig& config, ConfigStore& store, const std::string& path, int32_t width,
                         int32_t height) {
    CDuiSnapshotTipWnd window(CDuiSnapshotTipWnd::kSkinFile, config, store);
    window.SetPicture(QString::fromStdString(path), pictureSide(width), pictureSide(height));
    ModalDialog::Run(window, parent, CDuiSnapshotTipWnd::kWindowName);
}

void ShowSnapshotPath(QWidget* parent, const ConfigStore& store, const std::string& path) {
    CDuiShowSnapsTipWnd window(CDuiShowSnapsTipWnd::kSkinFile, store);
    window.SetSnapshotPath(QString::fromStdString(path));
    ModalDialog::Run(window, parent, CDuiShowSnapsTipWnd::kWindowName);
}

}  // namespace dialogs
