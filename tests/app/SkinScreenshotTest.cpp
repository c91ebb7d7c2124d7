// The main skin in a real X window (under Xvfb) at 1280 x 720, with the
// style sheet and texts as they look while a clip plays. Saves a screenshot
// for people to look at: $VELTARA_SCREENSHOT_DIR, else the build's
// screenshots folder.
#include "support/MainSkinWindow.h"
#include "app/CWndUI.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "ui/ControlText.h"
#include "ui/StyleState.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSlider>
#include <QTest>
#include <QWindow>

namespace {

TEST(SkinScreenshot, MainSkinLoadsInARealWindow) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    QApplication::setQuitOnLastWindowClosed(false);
    useSourceSkin();
    ui::installStyle();
    ASSERT_TRUE(ui::loadStyleSheet("style.qss"));

    MainSkinWindow window;
    window.factory.playlistTreeMaker = &CPlayListTreeViewUI::Create;
    ASSERT_TRUE(window.Create(nullptr, "Veltara DVR Player"));
    window.resize(1280, 720);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // The texts of a playing clip, as the view manager will set them.
    const std::pair<const char*, const char*> texts[] = {
        {"LabelPositionStatus", "GPS status: Valid fix"},
        {"LabelTime", "Date/time: 2016-05-20 10:30:15"},
        {"LabelSpeed", "Speed: 43.5 km/h"},
        {"LabelLatitude", "Latitude: N 22\u00b033'44.50\""},
        {"LabelLongitude", "Longitude: E 113\u00b056'12.34\""},
        {"labelPlayTime", "00:01:00/00:03:00"},
        {"playlistHeader", "Playlist"},
    };
    for (const auto& [name, text] : texts) ui::setControlText(window.FindControl(name), QString::fromUtf8(text));
    auto* progress = window.FindControl<QSlider>("sliderProgress");
    progress->setMaximum(180);
    progress->setValue(60);
    window.FindControl<QSlider>("sliderVolume")->setValue(70);
    window.FindControl("btnPlay")->hide();
    window.FindControl("btnPause")->show();
    ui::setStyleState(window.FindControl("LabelPositionStatus"), "gpsFix", true);
    auto* tree = window.FindControl<CPlayListTreeViewUI>("treePlaylist");
    ASSERT_NE(tree, nullptr);
    for (int i = 0; i < 9; ++i) {
        CPlayListNodeUI node;
        node.SetItemText(QString("2016_0520_10%1_%2.MP4").arg(27 + i).arg(i % 2 ? "F" : "R"));
        tree->AddNode(node);
    }
    tree->SelectItem(3, false);
    tree->SetPlayingNode(3, true);
    QTest::qWait(200);

    // The player gets a real X window, shown at the host's place.
    auto* host = window.FindControl<CWndUI>("wndMedia");
    ASSERT_NE(host, nullptr);
    EXPECT_NE(host->GetVideoWindowId(), 0u);
    EXPECT_TRUE(host->GetHostedWindow()->windowHandle()->isVisible());
    EXPECT_GT(host->width(), 640);
    EXPECT_GT(host->height(), 360);
    EXPECT_EQ(window.size(), QSize(1280, 720));

    const QString dir = qEnvironmentVariableIsSet("VELTARA_SCREENSHOT_DIR")
                            ? qEnvironmentVariable("VELTARA_SCREENSHOT_DIR")
                            : QStringLiteral(VELTARA_TEST_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QImage shot = window.grab().toImage();
    ASSERT_EQ(shot.size(), QSize(1280, 720));
    EXPECT_TRUE(shot.save(dir + "/skin-1280x720.png"));

    // Larger windows give the room to the video.
    const int videoWidth = host->width();
    window.resize(1920, 1080);
    QTest::qWait(200);
    EXPECT_GT(host->width(), videoWidth + 500);
    EXPECT_TRUE(window.grab().toImage().save(dir + "/skin-1920x1080.png"));
    window.Close(ui::IDOK);
}

}  // namespace
