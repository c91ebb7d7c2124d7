#include "dialogs/OpenSettings.h"

#include "dialogs/CDuiSettingWnd.h"
#include "dialogs/ModalDialog.h"
#include "dialogs/SoundCardList.h"

namespace dialogs {

int OpenSettings(QWidget* parent, AppConfig& config, ConfigStore& store, const std::string& programFolder,
                 const std::function<void()>& relabel) {
    const std::string previousLanguage = config.languageFile;
    const UnitSystem previousUnits = config.units;
    CDuiSettingWnd window(CDuiSettingWnd::kSkinFile, config, store,
                          [programFolder] { return SoundCardList::query(programFolder); });
    const int code = ModalDialog::Run(window, parent, CDuiSettingWnd::kWindowName);
    if (code != ui::IDOK) return code;
    const bool newLanguage = config.languageFile != previousLanguage;
    if (!newLanguage && config.units == previousUnits) return code;
    if (newLanguage) store.SetLanguageFilePath(store.languageFolder() + config.languageFile);
    if (relabel) relabel();
    return code;
}

}  // namespace dialogs
