// The main window as the program builds it, offscreen: what start-up puts on
// the controls, keys and full-screen mode, texts after a language change,
// the open filter, and closing while a dialog or a worker still waits.
#include "support/ShellInstallation.h"
#include "app/CWndUI.h"
#include "config/PrivateProfile.h"
#include "dialogs/ModalDialog.h"
#include "platform/MessageTarget.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "ui/ControlNotifications.h"
#include "ui/ControlText.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

namespace {

QString text(const CDuiFrameWnd& window, const char* name) {
    return ui::controlText(window.FindControl(name));
}

bool shown(const CDuiFrameWnd& window, const char* name) {
    return window.FindControl(name)->isVisibleTo(&window);
}

void click(QWidget* button) {
    qobject_cast<QAbstractButton*>(button)->click();
}

// Runs `answer` on the dialog of that name once it runs over the window;
// `opened` counts the runs.
void whenOpen(const QString& name, std::function<void(ui::CXMLWnd&)> answer, int& opened) {
    QTimer::singleShot(0, [name, answer = std::move(answer), &opened] {
        ui::CXMLWnd* dialog = ModalDialog::Active();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog, QApplication::activeModalWidget());
        ASSERT_EQ(dialog->objectName(), name);
        ++opened;
        answer(*dialog);
    });
}

}  // namespace

TEST(MainWindow, StartUpPutsTextsVolumeAndButtonsInPlace) {
    ShellInstallation install;
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Veltara DVR Player");
    EXPECT_EQ(text(*window, "LabelPositionStatus"), "GPS status:");
    EXPECT_EQ(text(*window, "LabelSpeed"), "Speed: 0 km/h");
    EXPECT_EQ(text(*window, "LabelLongitude"), "Longitude:");
    EXPECT_EQ(text(*window, "labelPlayTime"), "00:00:00/00:00:00");
    EXPECT_EQ(text(*window, "playlistHeader"), "Playlist");
    EXPECT_EQ(window->FindControl<QAbstractSlider>("sliderVolume")->value(), 55);
    // The start-up sequence hands the slider's volume to the controller.
    EXPECT_EQ(window->Controller()->GetVolume(), 55);
    EXPECT_TRUE(shown(*window, "btnPlay"));
    EXPECT_FALSE(shown(*window, "btnPause"));
    EXPECT_TRUE(shown(*window, "btnFull"));
    EXPECT_FALSE(shown(*window, "btnSmall"));
}

// Keys go in as the platform delivers them: to the native window, which
// passes them to the focused control; consecutive presses may reuse one
// event object.
TEST(MainWindow, EscapeNeverClosesItAndReturnAndEscapeOnlyChangeTheMode) {
    ShellInstallation install;
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    CViewManager& view = *window->ViewManager();

    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(window->IsClosed());
    EXPECT_FALSE(view.IsFullScreen());

    QTest::keyClick(window->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(view.IsFullScreen());
    for (const char* panel : {"PlayerBoardRight", "accChart", "PlayerGPSInfo", "btnFull"})
        EXPECT_FALSE(shown(*window, panel)) << panel;
    EXPECT_TRUE(shown(*window, "btnSmall"));
    QTest::keyClick(window->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(view.IsFullScreen());

    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(view.IsFullScreen());
    for (const char* panel : {"PlayerBoardRight", "accChart", "PlayerGPSInfo", "btnFull"})
        EXPECT_TRUE(shown(*window, panel)) << panel;
    EXPECT_FALSE(shown(*window, "btnSmall"));

    // A double-click on the video toggles; other double-clicks do not.
    QWidget* video = window->FindControl("wndMedia");
    ui::sendNotify(video, ui::UI_NOTIFY_DBCLICK, 1, 0);
    EXPECT_FALSE(view.IsFullScreen());
    ui::sendNotify(video, ui::UI_NOTIFY_DBCLICK, 1, CDuiFrameWnd::kVideoDoubleClick);
    EXPECT_TRUE(view.IsFullScreen());
    ui::sendNotify(video, ui::UI_NOTIFY_DBCLICK, 1, CDuiFrameWnd::kVideoDoubleClick);
    EXPECT_FALSE(view.IsFullScreen());
}

TEST(MainWindow, MuteButtonsAndTheUsersVolumeMoveReachTheController) {
    ShellInstallation install;
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    auto* volume = window->FindControl<QAbstractSlider>("sliderVolume");

    volume->triggerAction(QAbstractSlider::SliderPageStepAdd);  // the user's page-up
    EXPECT_EQ(window->Controller()->GetVolume(), volume->value());
    const int stored = volume->value();

    qobject_cast<QAbstractButton*>(window->FindControl("btnVolume"))->click();
    EXPECT_TRUE(window->Controller()->IsMuted());
    EXPECT_EQ(volume->value(), 0);
    EXPECT_TRUE(shown(*window, "btnMute"));
    EXPECT_EQ(window->Controller()->GetVolume(), stored);
    qobject_cast<QAbstractButton*>(window->FindControl("btnMute"))->click();
    EXPECT_FALSE(window->Controller()->IsMuted());
    EXPECT_EQ(volume->value(), stored);
    EXPECT_TRUE(shown(*window, "btnVolume"));
}

TEST(MainWindow, PanelTextsArePlainTextAndALanguageChangeRelabelsThemAtOnce) {
    ShellInstallation install;
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    CViewManager& view = *window->ViewManager();
    const QString filter = view.GetOpenNameFilter();
    EXPECT_EQ(filter, "Video files (*.mp4)");

    TrackRecord record;
    record.valid = true;
    record.year = 2016;
    record.month = 5;
    record.day = 20;
    record.longitudeHemisphere = 'E';
    record.longitudeDegrees = 113;
    record.latitudeHemisphere = 'N';
    record.speed = 43.5f;
    view.ShowRecord(record);
    auto* longitude = window->FindControl<QLabel>("LabelLongitude");
    EXPECT_EQ(longitude->text(), QString::fromUtf8("Longitude: E 113\u00b00'0.00\""));
    EXPECT_EQ(longitude->textFormat(), Qt::PlainText);
    EXPECT_EQ(window->FindControl("LabelPositionStatus")->property("gpsFix").toBool(), true);
    view.ShowNoFix();
    EXPECT_EQ(window->FindControl("LabelPositionStatus")->property("gpsFix").toBool(), false);

    // The settings window points the store at another language and asks for the texts again.
    window->Config()->languageFile = "russian.ini";
    window->Store()->SetLanguageFilePath(window->Store()->languageFolder() + "russian.ini");
    view.RelabelMainTexts();
    EXPECT_EQ(text(*window, "playlistHeader"), QString::fromUtf8("Список воспроизведения"));
    // Without a fix (stopped) the lines stay bare: no value of the last fix.
    EXPECT_EQ(text(*window, "LabelLongitude"), QString::fromUtf8("Долгота:"));
    EXPECT_EQ(text(*window, "LabelSpeed"), QString::fromUtf8("Скорость:"));
    view.ShowRecord(record);
    EXPECT_EQ(text(*window, "LabelLongitude"), QString::fromUtf8("Долгота: E 113\u00b00'0,00\""));
    EXPECT_EQ(text(*window, "LabelSpeed"), QString::fromUtf8("Скорость: 43,5 км/ч"));
    view.ShowNoFix();
    // Tooltips and the video area's hint follow the language too.
    EXPECT_EQ(window->FindControl("btnStop")->toolTip(), QString::fromUtf8("Остановить"));
    EXPECT_EQ(window->FindControl<CWndUI>("wndMedia")->GetShownHint(),
              QString::fromUtf8("Перетащите сюда записи видеорегистратора или откройте папку"));
    EXPECT_EQ(text(*window, "LabelPositionStatus"), QString::fromUtf8("Состояние GPS: нет координат"));
    // The open filter keeps the language of the start.
    EXPECT_EQ(view.GetOpenNameFilter(), filter);
}

TEST(MainWindow, VideoAreaSaysWhereToBeginWhileThePlaylistIsEmpty) {
    ShellInstallation install;
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    auto* video = window->FindControl<CWndUI>("wndMedia");
    const QString hint = "Drop dash-camera clips here, or open a folder";
    EXPECT_EQ(video->GetShownHint(), hint);
    EXPECT_EQ(video->GetHostedWindow()->hint(), hint);

    CPlayListTreeViewUI* tree = window->ViewManager()->Playlist().GetTree();
    ASSERT_NE(tree, nullptr);
    CPlayListNodeUI node;
    node.SetItemText("clip.mp4");
    tree->AddNodes({node, node});
    EXPECT_EQ(video->GetHostedWindow()->hint(), QString());
    tree->RemoveAt(0);
    EXPECT_EQ(video->GetShownHint(), QString());
    tree->RemoveAt(0);
    EXPECT_EQ(video->GetHostedWindow()->hint(), hint);
    tree->AddNode(node);
    tree->RemoveAll();
    EXPECT_EQ(video->GetShownHint(), hint);
}

// The settings button, the clear button and the snapshot report open their
// windows modally over the main window, and what they answer takes effect.
TEST(MainWindow, SettingsAndNoticeWindowsRunOverItAndTakeEffect) {
    ShellInstallation install("Language=english.ini\nVolume=55\nCleanTip=1\nSSPreview=0\n");
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    int opened = 0;

    whenOpen(
        "SettingWnd",
        [](ui::CXMLWnd& d) {
            d.FindControl<QComboBox>("LanguangeCombo")->setCurrentIndex(1);  // russian
            click(d.FindControl("OKButton"));
        },
        opened);
    click(window->FindControl("btnSetting"));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(window->Config()->languageFile, "russian.ini");
    EXPECT_EQ(text(*window, "playlistHeader"), QString::fromUtf8("Список воспроизведения"));

    // Cancel keeps the playlist and asks again next time.
    whenOpen(
        "CleanTipWindow", [](ui::CXMLWnd& d) { click(d.FindControl("CleanCancleButton")); }, opened);
    click(window->FindControl("btnClear"));
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(window->Config()->cleanTip);

    const std::string shot = install.home.path() + "shot0001.png";
    whenOpen(
        "ShowSnapsTipWindow",
        [&](ui::CXMLWnd& d) {
            EXPECT_EQ(d.FindControl<QLineEdit>("PathContentEdit")->text().toStdString(), shot);
            click(d.FindControl("ShowPathOKButton"));
        },
        opened);
    window->ViewManager()->ShowSnapshotPath(shot);
    EXPECT_EQ(opened, 3);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Imperial units chosen in the settings window rewrite the speed at once and
// are kept for the next start; the map's scale bar follows on the page.
TEST(MainWindow, ChosenUnitsRewriteThePanelSpeedAtOnce) {
    ShellInstallation install("Language=english.ini\nUnits=7\n");
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Config()->units, UnitSystem::Metric);  // an unknown value reads as metric
    TrackRecord record;
    record.valid = true;
    record.speed = 43.5f;
    window->ViewManager()->ShowRecord(record);
    EXPECT_EQ(text(*window, "LabelSpeed"), "Speed: 43.5 km/h");

    int opened = 0;
    whenOpen(
        "SettingWnd",
        [](ui::CXMLWnd& d) {
            auto* units = d.FindControl<QComboBox>("UnitsCombo");
            EXPECT_EQ(units->itemText(1), " Imperial (mph, mi)");
            units->setCurrentIndex(1);
            click(d.FindControl("OKButton"));
        },
        opened);
    click(window->FindControl("btnSetting"));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(text(*window, "LabelSpeed"), "Speed: 27.0 mph");
    EXPECT_EQ(window->Store()->ReadConfigInt(0, "Units"), 1);
}

TEST(MainWindow, TheOpenFilterTakesTheStoredPatternsAsTheyStand) {
    {
        ShellInstallation install("Language=english.ini\nFilter=*.mp4;*.mov\n");
        auto window = install.startWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->ViewManager()->GetOpenNameFilter(), "Video files (*.mp4 *.mov)");
        EXPECT_EQ(window->ViewManager()->GetOpenFilter().description(), "Video files (*.mp4;*.mov)");
        EXPECT_EQ(PrivateProfile::read(install.configFile(), "MPlayer", "Filter"), "*.mp4;*.mov");
    }
    ShellInstallation install("Language=english.ini\nFilter=\n");
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->ViewManager()->GetOpenNameFilter(), "Video files (*.mp4)");
    EXPECT_EQ(PrivateProfile::read(install.configFile(), "MPlayer", "Filter"), "*.mp4");
}

TEST(MainWindow, ClosingEndsADialogStillOpenAndNeverWaitsForASendingWorker) {
    ShellInstallation install;
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);

    std::atomic<bool> stop{false};
    std::atomic<int> answered{0};
    platform::MessageTarget* handle = window->GetHWND();
    std::thread worker([&] {
        while (!stop.load()) {
            handle->sendMessage(platform::WM_TRACK_LIVE, 1, 0);
            answered.fetch_add(1);
        }
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered.load() > 10; }, 2000));

    auto* dialog = new QDialog(window.get());
    dialog->setModal(true);
    bool closedInside = false;
    QTimer::singleShot(50, window.get(), [&] {
        window->close();
        closedInside = window->IsClosed();
    });
    dialog->exec();  // returns only because closing the window ended it
    EXPECT_TRUE(closedInside);
    EXPECT_FALSE(window->GetHandle()->attached());
    const int before = answered.load();
    // Answered at once, with nobody serving them.
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered.load() > before + 10; }, 2000));
    stop.store(true);
    worker.join();
    window.reset();
}
