// The main window's skin as the shell needs it: every named control there,
// of the right kind, in sub-layouts where it lives, with the class names
// matched as the control factory promises.
#include "support/MainSkinWindow.h"
#include "app/CWndUI.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QLabel>
#include <QTreeWidget>

namespace {

class MainSkin : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        useSourceSkin();
    }
};

TEST_F(MainSkin, HoldsEveryNamedControlOfTheRightKind) {
    MainSkinWindow window;
    ASSERT_TRUE(window.Create(nullptr, "Veltara DVR Player"));
    window.show();

    const char* buttons[] = {"btnClear", "btnFull", "btnSmall", "btnSShot", "btnSetting", "btnMute",    "btnVolume",
                             "btnStop",  "btnPrev", "btnPlay",  "btnPause", "btnNext",    "btnOpenBig", "titleBtn"};
    for (const char* name : buttons) EXPECT_NE(window.FindControl<QAbstractButton>(name), nullptr) << name;

    const char* labels[] = {"TitleLabel", "LabelLongitude",      "LabelLatitude", "LabelSpeed",
                            "LabelTime",  "LabelPositionStatus", "labelPlayTime", "playlistHeader"};
    for (const char* name : labels) EXPECT_NE(window.FindControl<QLabel>(name), nullptr) << name;

    auto* progress = window.FindControl<QAbstractSlider>("sliderProgress");
    auto* volume = window.FindControl<QAbstractSlider>("sliderVolume");
    ASSERT_NE(progress, nullptr);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->maximum(), 100);
    EXPECT_EQ(volume->minimum(), 0);

    EXPECT_NE(window.FindControl<QTreeWidget>("treePlaylist"), nullptr);
    EXPECT_NE(window.FindControl<CWndUI>("wndMedia"), nullptr);
    EXPECT_NE(window.FindControl("PlayerBoardRight"), nullptr);
    EXPECT_NE(window.FindControl("PlayerGPSInfo"), nullptr);
    // Until the chart and the map are built, their places hold placeholders.
    ASSERT_NE(window.FindControl("accChart"), nullptr);
    EXPECT_EQ(window.FindControl("accChart")->property("veltaraClass").toString(), "TreskChart");
    ASSERT_NE(window.FindControl("WebMap"), nullptr);
    EXPECT_EQ(window.FindControl("WebMap")->property("veltaraClass").toString(), "WebBrowser");

    // The GPS panel lives in its sub-layout, so full-screen mode can hide it whole.
    EXPECT_TRUE(window.FindControl("PlayerGPSInfo")->isAncestorOf(window.FindControl("LabelSpeed")));
    EXPECT_TRUE(window.FindControl("PlayerBoardRight")->isAncestorOf(window.FindControl("treePlaylist")));
    EXPECT_FALSE(window.FindControl("PlayerBoardRight")->isAncestorOf(window.FindControl("accChart")));

    // The pairs share their place; at start one of each is shown.
    auto pair = [&](const char* shown, const char* hidden) {
        QWidget* a = window.FindControl(shown);
        QWidget* b = window.FindControl(hidden);
        EXPECT_EQ(a->parentWidget(), b->parentWidget()) << shown;
        EXPECT_TRUE(a->isVisible()) << shown;
        EXPECT_FALSE(b->isVisible()) << hidden;
    };
    pair("btnPlay", "btnPause");
    pair("btnVolume", "btnMute");
    pair("btnFull", "btnSmall");
}

TEST_F(MainSkin, FullScreenPanelsGiveTheirRoomToTheVideo) {
    MainSkinWindow window;
    ASSERT_TRUE(window.Create(nullptr, "full screen"));
    window.resize(1280, 720);
    window.show();
    QApplication::processEvents();
    QWidget* video = window.FindControl("wndMedia");
    const QSize normal = video->size();
    for (const char* name : {"PlayerBoardRight", "accChart", "PlayerGPSInfo"}) window.FindControl(name)->hide();
    QApplication::processEvents();
    // The whole width and the telemetry row's height, with their gaps; the
    // play panel stays under the video.
    EXPECT_GE(video->width(), normal.width() + 340);
    EXPECT_GE(video->height(), normal.height() + 164);
    EXPECT_TRUE(window.FindControl("sliderProgress")->isVisible());
}

TEST_F(MainSkin, ClassNamesMatchAsPromised) {
    using Kind = ControlFactory::Kind;
    EXPECT_EQ(ControlFactory::classify("playpanel").kind, Kind::SubLayout);
    EXPECT_EQ(ControlFactory::classify("playpanel").skinFile, "PlayPanel.xml");
    EXPECT_EQ(ControlFactory::classify("GPSINFO").skinFile, "GPSInfo.xml");
    EXPECT_EQ(ControlFactory::classify("wNDui").kind, Kind::VideoHost);
    EXPECT_EQ(ControlFactory::classify("TreskChart").kind, Kind::Chart);
    EXPECT_EQ(ControlFactory::classify("TimelineStrip").kind, Kind::Timeline);
    EXPECT_EQ(ControlFactory::classify("treskchart").kind, Kind::None);
    EXPECT_EQ(ControlFactory::classify("TreskChartX").kind, Kind::None);
    EXPECT_EQ(ControlFactory::classify("PlayPanel2").kind, Kind::None);
    EXPECT_EQ(ControlFactory::classify("").kind, Kind::None);

    // In a skin: "playpanel" is built from PlayPanel.xml, "treskchart" is no chart.
    testing_support::TempFolder folder;
    const std::string skin = folder.write("Cases.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Cases</class>
 <widget class="QWidget" name="Cases">
  <layout class="QVBoxLayout" name="casesLayout">
   <item><widget class="playpanel" name="panel"/></item>
   <item><widget class="treskchart" name="lowerChart"/></item>
   <item><widget class="TreskChart" name="realChart"/></item>
   <item><widget class="WNDUI" name="host"/></item>
  </layout>
 </widget>
</ui>
)");
    MainSkinWindow window(QString::fromStdString(skin));
    ASSERT_TRUE(window.Create(nullptr, "cases"));
    EXPECT_NE(window.FindControl("btnPlay"), nullptr);
    EXPECT_NE(window.FindControl("btnSShot"), nullptr);  // Shortcuts.xml inside PlayPanel.xml
    ASSERT_NE(window.FindControl("lowerChart"), nullptr);
    EXPECT_FALSE(window.FindControl("lowerChart")->property("veltaraClass").isValid());
    EXPECT_EQ(window.FindControl("realChart")->property("veltaraClass").toString(), "TreskChart");
    EXPECT_NE(window.FindControl<CWndUI>("host"), nullptr);
}

TEST_F(MainSkin, MakersReplaceThePlaceholders) {
    MainSkinWindow window;
    QWidget* chart = nullptr;
    window.factory.chartMaker = [&](QWidget* parent) { return chart = new QLabel(parent); };
    ASSERT_TRUE(window.Create(nullptr, "makers"));
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(window.FindControl("accChart"), chart);
}

}  // namespace
