// The settings window: what it shows for the configured values, what OK
// writes and what it leaves alone, Cancel, and the language change of
// OpenSettings.
#include "support/DialogFixture.h"
#include "config/Version.h"
#include "dialogs/CDuiSettingWnd.h"
#include "dialogs/ModalDialog.h"
#include "dialogs/OpenSettings.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <memory>

namespace {

const std::vector<std::string> kDevices{"Autoselect device", "  Built-in   Audio  Analog Stereo  ", "   "};

struct SettingWindow {
    DialogFixture f;
    std::unique_ptr<CDuiSettingWnd> window;

    explicit SettingWindow(const std::string& settings, std::vector<std::string> devices = kDevices) : f(settings) {
        window = std::make_unique<CDuiSettingWnd>(CDuiSettingWnd::kSkinFile, f.config, f.store,
                                                  [devices] { return devices; });
        EXPECT_TRUE(window->Create(&f.mainWindow, "settings"));
    }
    QComboBox* combo(const char* name) const { return window->FindControl<QComboBox>(name); }
    void click(const char* name) const { window->FindControl<QAbstractButton>(name)->click(); }
};

TEST(SettingWindow, ShowsTheConfiguredValuesInTheLanguageOfTheConfiguration) {
    SettingWindow german("Language=german.ini\nVO=gl:yuv=1:force-pbo\nAO=dsound\nDEVICE=1\nSSPreview=1\n");
    EXPECT_EQ(german.combo("LanguangeCombo")->currentIndex(), 4);
    // Linux names in the language of the configuration.
    EXPECT_EQ(german.combo("VideoCombo")->currentText(), " OpenGL (Grafikkarte)");
    EXPECT_EQ(german.combo("SoundCombo")->currentText(),
              QString::fromUtf8(" PulseAudio oder PipeWire, gewähltes Gerät"));
    EXPECT_EQ(german.combo("LanguangeCombo")->itemText(0), " Polski");
    EXPECT_TRUE(german.window->FindControl<QAbstractButton>("showBox")->isChecked());
    // Devices in the engine's order, their texts tidied; one without text still has its row.
    QComboBox* cards = german.combo("SoundCardCombo");
    ASSERT_EQ(cards->count(), 3);
    EXPECT_EQ(cards->itemText(0), QString::fromUtf8(" Automatisch (das System wählt)"));
    EXPECT_EQ(cards->itemText(1), " Built-in Audio Analog Stereo");
    EXPECT_EQ(cards->itemText(2), " #2");
    EXPECT_EQ(cards->currentIndex(), 1);
    EXPECT_TRUE(cards->isEnabled());

    SettingWindow russian("Language=russian.ini\nVO=gl:yuv=1:force-pbo\nAO=win32\n");
    EXPECT_EQ(russian.combo("LanguangeCombo")->currentIndex(), 1);
    EXPECT_EQ(russian.combo("VideoCombo")->currentText(), QString::fromUtf8(" OpenGL (видеокарта)"));
    EXPECT_EQ(russian.window->FindControl<QLabel>("VersionLabel")->text(),
              QString::fromUtf8("Версия " VELTARA_VERSION));
    EXPECT_EQ(russian.window->FindControl<QAbstractButton>("CancleButton")->text(), QString::fromUtf8("Отмена"));
}

TEST(SettingWindow, AnOlderFilesValueIsKeptUnlessAnotherOutputIsChosen) {
    SettingWindow kept("Language=english.ini\nVO=gl:yuv=3:force-pbo\nAO=dsound:device=1\n");
    EXPECT_EQ(kept.combo("VideoCombo")->currentText(), " OpenGL (graphics card)");
    EXPECT_EQ(kept.combo("SoundCombo")->currentIndex(), 1);
    kept.click("OKButton");
    EXPECT_EQ(kept.window->ShowModal(), ui::IDOK);
    EXPECT_EQ(kept.f.config.videoOutput, "gl:yuv=3:force-pbo");
    EXPECT_EQ(kept.f.config.audioOutput, "dsound:device=1");

    SettingWindow changed("Language=english.ini\nVO=gl:yuv=3:force-pbo\nAO=win32\n");
    changed.combo("VideoCombo")->setCurrentIndex(0);
    changed.combo("SoundCombo")->setCurrentIndex(2);
    changed.click("OKButton");
    EXPECT_EQ(changed.f.config.videoOutput, "directx:noaccel");
    EXPECT_EQ(changed.f.config.audioOutput, "alsa");
}

TEST(SettingWindow, SoundCardListIsEnabledForDirectSoundOnly) {
    SettingWindow s("Language=english.ini\nAO=win32\n");
    QComboBox* cards = s.combo("SoundCardCombo");
    EXPECT_FALSE(cards->isEnabled());
    s.combo("SoundCombo")->setCurrentIndex(1);
    EXPECT_TRUE(cards->isEnabled());
    s.combo("SoundCombo")->setCurrentIndex(2);  // ALSA
    EXPECT_FALSE(cards->isEnabled());
}

TEST(SettingWindow, OkWritesEveryChoiceButTheCardOfOtherOutputsAndAnUnchangedPreview) {
    SettingWindow s("Language=english.ini\nVO=directx:noaccel\nAO=dsound\nDEVICE=2\n");
    s.combo("SoundCombo")->setCurrentIndex(0);  // the default device
    s.combo("SoundCardCombo")->setCurrentIndex(0);
    s.combo("LanguangeCombo")->setCurrentIndex(6);
    s.click("OKButton");
    const std::string text = s.f.configText();
    EXPECT_NE(text.find("AO=win32"), std::string::npos);
    EXPECT_NE(text.find("DEVICE=2"), std::string::npos);
    EXPECT_NE(text.find("VO=directx:noaccel"), std::string::npos);  // written although unchanged
    EXPECT_NE(text.find("Language=spanish.ini"), std::string::npos);
    EXPECT_EQ(text.find("SSPreview"), std::string::npos);
    EXPECT_EQ(s.f.config.soundDevice, 2);
    EXPECT_EQ(s.f.config.audioOutput, "win32");

    SettingWindow card("Language=english.ini\nAO=dsound\nDEVICE=0\n");
    card.combo("SoundCardCombo")->setCurrentIndex(2);
    card.window->FindControl<QAbstractButton>("showBox")->setChecked(true);
    card.click("OKButton");
    EXPECT_EQ(card.f.config.soundDevice, 2);
    EXPECT_TRUE(card.f.config.snapshotPreview);
    EXPECT_NE(card.f.configText().find("DEVICE=2"), std::string::npos);
    EXPECT_NE(card.f.configText().find("SSPreview=1"), std::string::npos);
}

TEST(SettingWindow, OkLeavesValuesThatNoListHolds) {
    // Language, video output and sound card not in their lists: nothing is selected...
    SettingWindow s("Language=klingon.ini\nVO=null\nAO=dsound\nDEVICE=7\n");
    EXPECT_EQ(s.combo("LanguangeCombo")->currentIndex(), -1);
    EXPECT_EQ(s.combo("VideoCombo")->currentIndex(), -1);
    EXPECT_EQ(s.combo("SoundCardCombo")->currentIndex(), -1);
    // ...and OK keeps them as they were.
    s.click("OKButton");
    EXPECT_EQ(s.f.config.languageFile, "klingon.ini");
    EXPECT_EQ(s.f.config.videoOutput, "null");
    EXPECT_EQ(s.f.config.soundDevice, 7);
    EXPECT_EQ(s.f.configText(), "[MPlayer]\nLanguage=klingon.ini\nVO=null\nAO=dsound\nDEVICE=7\n");

    // No sound cards at all.
    SettingWindow none("Language=english.ini\nAO=dsound\nDEVICE=0\n", {});
    EXPECT_EQ(none.combo("SoundCardCombo")->count(), 0);
    none.click("OKButton");
    EXPECT_EQ(none.f.config.soundDevice, 0);
}

TEST(SettingWindow, TheTimeZoneOffersTheComputersUtcAndOffsetsAndKeepsAHandEditedOne) {
    SettingWindow s("Language=german.ini\n");
    QComboBox* zones = s.combo("TimeZoneCombo");
    EXPECT_EQ(zones->currentIndex(), 0);
    EXPECT_EQ(zones->itemText(0), " Zeitzone dieses Computers");
    EXPECT_EQ(zones->itemText(1), " UTC");
    const int india = zones->findText(" UTC+05:30");
    ASSERT_GT(india, 1);
    zones->setCurrentIndex(india);
    s.click("OKButton");
    EXPECT_EQ(s.f.config.displayZone.offsetAt(0), 5 * 3600 + 30 * 60);
    EXPECT_NE(s.f.configText().find("TimeZone=+05:30"), std::string::npos);

    SettingWindow edited("Language=english.ini\nTimeZone=-01:15\n");
    EXPECT_EQ(edited.combo("TimeZoneCombo")->currentText(), " UTC-01:15");
}

TEST(SettingWindow, CancelOrClosingAfterChangingEverythingWritesNothing) {
    const std::string settings = "Language=english.ini\nVO=gl:force-pbo\nAO=dsound\nDEVICE=1\nSSPreview=1\n";
    for (const bool viaCancel : {true, false}) {
        SettingWindow s(settings);
        s.combo("LanguangeCombo")->setCurrentIndex(1);
        s.combo("VideoCombo")->setCurrentIndex(0);
        s.combo("SoundCombo")->setCurrentIndex(0);
        s.combo("SoundCardCombo")->setCurrentIndex(2);
        s.window->FindControl<QAbstractButton>("showBox")->setChecked(false);
        if (viaCancel) {
            s.click("CancleButton");
        } else {
            s.window->close();  // the window manager's close
        }
        EXPECT_EQ(s.window->ShowModal(), ui::IDCANCEL);
        EXPECT_EQ(s.f.configText(), "[MPlayer]\n" + settings);
        EXPECT_EQ(s.f.config.languageFile, "english.ini");
        EXPECT_EQ(s.f.config.videoOutput, "gl:force-pbo");
        EXPECT_EQ(s.f.config.audioOutput, "dsound");
        EXPECT_EQ(s.f.config.soundDevice, 1);
        EXPECT_TRUE(s.f.config.snapshotPreview);
    }
}

// Runs OpenSettings; while the window is open, chooses the language row and
// presses the button, finding both in the open dialog as a test driver would.
int openSettings(DialogFixture& f, int languageRow, const char* button, int& relabels) {
    QTimer::singleShot(0, [&f, languageRow, button] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog, ModalDialog::Active());
        EXPECT_EQ(dialog->objectName(), "SettingWnd");
        EXPECT_EQ(dialog->parentWidget(), &f.mainWindow);
        ModalDialog::Active()->FindControl<QComboBox>("LanguangeCombo")->setCurrentIndex(languageRow);
        dialog->findChild<QAbstractButton*>(button)->click();
    });
    const int code = dialogs::OpenSettings(&f.mainWindow, f.config, f.store, f.program.path(), [&] { ++relabels; });
    EXPECT_EQ(ModalDialog::Active(), nullptr);
    return code;
}

TEST(OpenSettings, AppliesANewLanguageAtOnceAndNothingElse) {
    DialogFixture f("Language=english.ini\nAO=win32\n");
    int relabels = 0;
    EXPECT_EQ(openSettings(f, 1, "CancleButton", relabels), ui::IDCANCEL);
    EXPECT_EQ(openSettings(f, 2, "OKButton", relabels), ui::IDOK);  // same language
    EXPECT_EQ(relabels, 0);
    EXPECT_EQ(f.store.languageFilePath(), f.program.path() + "conf/sysconfig/english.ini");

    EXPECT_EQ(openSettings(f, 1, "OKButton", relabels), ui::IDOK);
    EXPECT_EQ(relabels, 1);
    EXPECT_EQ(f.config.languageFile, "russian.ini");
    EXPECT_EQ(f.store.languageFilePath(), f.program.path() + "conf/sysconfig/russian.ini");
    EXPECT_EQ(f.store.ReadLanguageString("IDS_CANCEL", "Main_Interface"), "Отмена");
}

}  // namespace
