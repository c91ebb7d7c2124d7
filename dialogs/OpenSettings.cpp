#include "dialogs/OpenSettings.h"

#include "dialogs/CDuiSettingWnd.h"
#include "dialogs/ModalDialog.h"
#include "dialogs/SoundCardList.h"

namespace dialogs {

int OpenSettings(QWidget* parent, AppConfig& config, ConfigStore& store, const std::string& programFolder,
                 const std::function<void()>& relabel) {
    const std::string previousLanguage = config.languageFile;
    CDuiSettingWnd window(CDuiSettingWnd::kSkinFile, config, store,
                          [programFolder] { return SoundCardList::query(programFolder); });
    const int code = ModalDialog::Run(window, parent, CDuiSettingWnd::kWindowName);
    if (code != ui::IDOK || config.languageFile == previousLanguage) return code;
    store.SetLanguageFilePath(store.languageFolder() + config.languageFile);
    if (relabel) relabel();
    return code;
}

}  // namespace dialogs
