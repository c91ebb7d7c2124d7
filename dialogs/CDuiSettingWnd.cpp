#include "dialogs/CDuiSettingWnd.h"

#include "config/Version.h"
#include "config/LanguageTable.h"
#include "dialogs/DialogStyle.h"
#include "dialogs/DialogText.h"
#include "dialogs/SoundCardText.h"
#include "dialogs/TimeZoneChoices.h"
#include "ui/ControlText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>

namespace {

constexpr std::string_view kMain = DialogText::kMainSection;

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The name of an output row in the current language, one blank in front as
// every list entry has.
QString outputName(const ConfigStore& store, const OutputRow& row) {
    QString name = DialogText::read(store, row.textKey, kMain);
    if (name.isEmpty()) name = fromUtf8(row.fallbackName);
    return QStringLiteral(" ") + name;
}

// -1 leaves the combo without a selection (Qt selects the first item it is given).
void selectRow(QComboBox* combo, int row) {
    if (combo) combo->setCurrentIndex(row);
}

}  // namespace

CDuiSettingWnd::CDuiSettingWnd(QString skinFile, AppConfig& config, ConfigStore& store, SoundCardSource soundCards)
    : CXMLWnd(std::move(skinFile)), config_(config), store_(store), soundCardSource_(std::move(soundCards)) {}

void CDuiSettingWnd::InitWindow() {
    DialogStyle::apply(*this);
    languageCombo_ = FindControl<QComboBox>("LanguangeCombo");
    videoCombo_ = FindControl<QComboBox>("VideoCombo");
    soundCombo_ = FindControl<QComboBox>("SoundCombo");
    soundCardCombo_ = FindControl<QComboBox>("SoundCardCombo");
    unitsCombo_ = FindControl<QComboBox>("UnitsCombo");
    timeZoneCombo_ = FindControl<QComboBox>("TimeZoneCombo");
    previewCheck_ = FindControl<QAbstractButton>("showBox");

    showTexts();
    fillLanguages();
    fillOutputs();
    fillSoundCards();
    fillUnits();
    fillTimeZones();
    if (previewCheck_) previewCheck_->setChecked(config_.snapshotPreview);
    notifying_ = true;
}

void CDuiSettingWnd::showTexts() {
    DialogText::show(FindControl("OKButton"), store_, "IDS_OK", kMain);
    DialogText::show(FindControl("CancleButton"), store_, "IDS_CANCEL", kMain);
    DialogText::show(FindControl("LanguangeLabel"), store_, "IDS_LANGUAGE", kMain);
    DialogText::show(FindControl("VideoLabel"), store_, "IDS_VIDEO", kMain);
    DialogText::show(FindControl("SoundLabel"), store_, "IDS_SOUND", kMain);
    DialogText::show(FindControl("SoundCardLabel"), store_, "IDS_SOUNDCARD", kMain);
    DialogText::show(FindControl("UnitsLabel"), store_, "IDS_UNITS", kMain);
    DialogText::show(FindControl("TimeZoneLabel"), store_, "IDS_TIMEZONE", kMain);
    DialogText::show(FindControl("GeneralOption"), store_, "IDS_PLAYER", kMain);
    DialogText::show(previewCheck_, store_, "IDS_SHOWSHOT", kMain);
    // The version follows its label directly; the language file brings the blank.
    if (QWidget* version = FindControl("VersionLabel")) {
        ui::setControlText(version, DialogText::read(store_, "IDS_VERSION", kMain) + QStringLiteral(VELTARA_VERSION));
    }
}

void CDuiSettingWnd::fillLanguages() {
    if (!languageCombo_) return;
    for (const LanguageRow& row : LanguageTable::rows()) languageCombo_->addItem(fromUtf8(row.displayName));
    selectRow(languageCombo_, LanguageTable::indexOf(config_.languageFile));
}

void CDuiSettingWnd::fillOutputs() {
    videoTable_ = OutputTable::video();
    soundTable_ = OutputTable::sound();
    storedVideoRow_ = OutputTable::indexOf(videoTable_, config_.videoOutput);
    storedSoundRow_ = OutputTable::indexOf(soundTable_, config_.audioOutput);
    if (videoCombo_) {
        for (const OutputRow& row : videoTable_) videoCombo_->addItem(outputName(store_, row));
        // Long names scroll sideways in the open list instead of being cut.
        videoCombo_->view()->setTextElideMode(Qt::ElideNone);
        videoCombo_->view()->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        selectRow(videoCombo_, storedVideoRow_);
    }
    if (soundCombo_) {
        for (const OutputRow& row : soundTable_) soundCombo_->addItem(outputName(store_, row));
        selectRow(soundCombo_, storedSoundRow_);
    }
}

void CDuiSettingWnd::fillSoundCards() {
    const std::vector<std::string> devices = soundCardSource_ ? soundCardSource_() : std::vector<std::string>{};
    int selected = -1;
    // Entry 0 is the engine's automatic choice; its own description is English.
    const QString automatic = DialogText::read(store_, "IDS_AUTODEVICE", kMain);
    for (size_t i = 0; i < devices.size(); ++i) {
        QString text = QString::fromStdString(SoundCardText::itemText(devices[i], i));
        if (i == 0 && !automatic.isEmpty()) text = QStringLiteral(" ") + automatic;
        if (soundCardCombo_) soundCardCombo_->addItem(text);
        const auto device = static_cast<int32_t>(i);
        soundCards_.push_back(device);
        if (device == config_.soundDevice) selected = static_cast<int>(i);
    }
    selectRow(soundCardCombo_, selected);
    enableSoundCards(config_.audioOutput == OutputTable::kDirectSound);
}

void CDuiSettingWnd::fillUnits() {
    if (!unitsCombo_) return;
    unitsCombo_->addItem(QStringLiteral(" ") + DialogText::read(store_, "IDS_METRIC", kMain));
    unitsCombo_->addItem(QStringLiteral(" ") + DialogText::read(store_, "IDS_IMPERIAL", kMain));
    selectRow(unitsCombo_, Units::toSetting(config_.units));
}

void CDuiSettingWnd::fillTimeZones() {
    if (!timeZoneCombo_) return;
    timeZones_ = timeZoneChoices(config_.displayZone);
    const std::string stored = config_.displayZone.text();
    for (size_t i = 0; i < timeZones_.size(); ++i) {
        const DisplayZone& zone = timeZones_[i];
        if (zone.kind() == DisplayZone::Kind::System) {
            timeZoneCombo_->addItem(QStringLiteral(" ") + DialogText::read(store_, "IDS_TZ_SYSTEM", kMain));
        } else {
            const std::string offset = zone.kind() == DisplayZone::Kind::Utc ? std::string() : zone.text();
            timeZoneCombo_->addItem(QStringLiteral(" UTC") + fromUtf8(offset));
        }
        if (zone.text() == stored) selectRow(timeZoneCombo_, static_cast<int>(i));
    }
}

void CDuiSettingWnd::enableSoundCards(bool enable) {
    if (soundCardCombo_) soundCardCombo_->setEnabled(enable);
}

void CDuiSettingWnd::Notify(const ui::Notification& msg) {
    if (!notifying_) return;
    if (msg.type == ui::UI_NOTIFY_ITEMSELECT && msg.senderName() == u"SoundCombo" && soundCombo_) {
        const OutputRow* row = OutputTable::at(soundTable_, soundCombo_->currentIndex());
        enableSoundCards(row && OutputTable::isDirectSound(row->value));
    }
    CXMLWnd::Notify(msg);
}

void CDuiSettingWnd::OnClick(const ui::Notification& msg) {
    const QString name = msg.senderName();
    if (name == u"OKButton") {
        applyChoices();
        Close(ui::IDOK);
    } else if (name == u"CancleButton") {
        Close(ui::IDCANCEL);
    }
    CXMLWnd::OnClick(msg);
}

void CDuiSettingWnd::applyChoices() {
    // The row the stored value opened on keeps that value, so an older
    // file's variant of the same output survives.
    if (videoCombo_) {
        const int item = videoCombo_->currentIndex();
        if (const OutputRow* row = OutputTable::at(videoTable_, item)) {
            if (item != storedVideoRow_) config_.videoOutput = row->value;
            store_.WriteConfigString(config_.videoOutput, "VO");
        }
    }
    if (soundCombo_) {
        const int item = soundCombo_->currentIndex();
        if (const OutputRow* row = OutputTable::at(soundTable_, item)) {
            if (item != storedSoundRow_) config_.audioOutput = row->value;
            store_.WriteConfigString(config_.audioOutput, "AO");
        }
    }
    // The sound card counts for DirectSound only; otherwise it stays for later.
    if (config_.audioOutput == OutputTable::kDirectSound && soundCardCombo_) {
        const int item = soundCardCombo_->currentIndex();
        if (item >= 0 && static_cast<size_t>(item) < soundCards_.size()) {
            config_.soundDevice = soundCards_[static_cast<size_t>(item)];
            store_.WriteConfigInt(config_.soundDevice, "DEVICE");
        }
    }
    if (languageCombo_) {
        const auto rows = LanguageTable::rows();
        const int item = languageCombo_->currentIndex();
        if (item >= 0 && static_cast<size_t>(item) < rows.size()) {
            config_.languageFile = rows[static_cast<size_t>(item)].fileName;
            store_.WriteConfigString(config_.languageFile, "Language");
        }
    }
    // Like the preview choice, written only when it changes.
    if (unitsCombo_ && unitsCombo_->currentIndex() >= 0 &&
        Units::fromSetting(unitsCombo_->currentIndex()) != config_.units) {
        config_.units = Units::fromSetting(unitsCombo_->currentIndex());
        store_.WriteConfigInt(Units::toSetting(config_.units), Units::kSettingKey);
    }
    if (timeZoneCombo_) {
        const int item = timeZoneCombo_->currentIndex();
        if (item >= 0 && static_cast<size_t>(item) < timeZones_.size() &&
            timeZones_[static_cast<size_t>(item)].text() != config_.displayZone.text()) {
            config_.displayZone = timeZones_[static_cast<size_t>(item)];
            store_.WriteConfigString(config_.displayZone.text(), DisplayZone::kKey);
        }
    }
    if (previewCheck_ && previewCheck_->isChecked() != config_.snapshotPreview) {
        config_.snapshotPreview = previewCheck_->isChecked();
        store_.WriteConfigInt(config_.snapshotPreview ? 1 : 0, "SSPreview");
    }
}
