// A camera clip through the real controller, player engine and extraction,
// with the window's handlers reacting to what the workers report: the play
// time, the panel, the track pages, the map and the chart, the end of the
// clip, and closing while a clip plays.
#include "support/ShellInstallation.h"
#include "app/testdriver/TestDriverDump.h"
#include "map/CWebBrowserUI.h"
#include "platform/MessageTarget.h"
#include "support/ClipFactory.h"
#include "ui/ControlText.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QJsonObject>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

QString text(const CDuiFrameWnd& window, const char* name) {
    return ui::controlText(window.FindControl(name));
}

bool processGone(uint32_t pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0;
}

// The names of this process's children, running or not yet reaped, but for
// the web engine's helpers, which live as long as the application.
std::vector<std::string> childProcesses() {
    std::vector<std::string> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        const size_t open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        pid_t parent = 0;
        rest >> state >> parent;
        const std::string name = line.substr(open + 1, close - open - 1);
        if (parent == ::getpid() && name.rfind("QtWebEngine", 0) != 0) children.push_back(name + " " + state);
    }
    return children;
}

// The valid records of the store's ready pages: what the line and each
// series of the chart should hold.
int validRecords(const TrackStore& store) {
    int valid = 0;
    for (int32_t p = 0; p < store.getReadyPages(); ++p) {
        const TrackPage* page = store.getPage(p);
        for (int32_t i = 0; page && i < page->count(); ++i) valid += page->records()[i].valid ? 1 : 0;
    }
    return valid;
}

}  // namespace

TEST(PlaybackFlow, AClipPlaysToItsEndAndClosingWhilePlayingEndsThePlayer) {
    ShellInstallation install("Language=english.ini\nVO=null\nAO=null\nVolume=30\n");
    install.linkTools();
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(30);
    spec.durationSeconds = 3.0;
    const std::string clip = install.home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");

    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    PlaybackControl& controller = *window->Controller();
    TrackStore& store = controller.Store();

    ASSERT_EQ(controller.Play(clip), 0);
    ASSERT_EQ(controller.StartExtraction(clip), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return text(*window, "labelPlayTime").endsWith("/00:00:03"); }, 10000))
        << text(*window, "labelPlayTime").toStdString();
    EXPECT_EQ(window->FindControl<QAbstractSlider>("sliderProgress")->maximum(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return text(*window, "LabelPositionStatus") == "GPS status: Valid fix"; }, 5000));
    EXPECT_TRUE(text(*window, "LabelTime").startsWith("Date/time: 2016-05-20 10:30:0"));
    EXPECT_TRUE(text(*window, "LabelLongitude").startsWith(QString::fromUtf8("Longitude: E 113\u00b056'")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return store.getReadyPages() == 1 && store.getShownPages() == 1; }, 10000));

    // The end of the clip: with no next entry, playback stops with Play shown.
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.GetPlayerState() == PlayerState::Idle; }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(text(*window, "labelPlayTime"), "00:00:00/00:00:00");
    EXPECT_TRUE(window->FindControl("btnPlay")->isVisibleTo(window.get()));
    EXPECT_EQ(store.getReadyPages(), 0);
    // Nothing played now: no fix on the panel.
    EXPECT_EQ(text(*window, "LabelPositionStatus"), "GPS status: No fix");

    ASSERT_EQ(controller.Play(clip), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.GetPlayerState() == PlayerState::Playing; }, 10000));
    const uint32_t pid = controller.GetPlayerProcessId();
    ASSERT_NE(pid, 0u);
    window->close();
    EXPECT_TRUE(window->IsClosed());
    EXPECT_TRUE(processGone(pid));
    EXPECT_EQ(controller.GetPlayerState(), PlayerState::Idle);
    window.reset();
    // Nothing left running or to reap, but the web engine's own helpers.
    EXPECT_EQ(childProcesses(), std::vector<std::string>{});
}

// Every valid kept record is a point of the line and of each chart series.
// A moment without a text (PLAYER_NO_SUBTITLE: before the first cue, in a
// gap, at the clip's end) or a text that does not parse only takes the car
// marker and the fix away: the track, the chart and the extraction that is
// still filling them stay.
TEST(PlaybackFlow, MapAndChartTakeEveryBatchAndKeepItWhenNoTextIsCurrent) {
    ShellInstallation install("Language=english.ini\nVO=null\nAO=null\nMap=GoogleMap\nLocale=Oversea\n");
    install.linkTools();
    install.linkMapPages();
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(1400);
    // Some kept records do not parse: they add no point.
    for (size_t i = 50; i < spec.trackTexts.size(); i += 300) spec.trackTexts[i] = "no fix";
    spec.durationSeconds = 140.0;
    spec.width = 64;
    spec.height = 36;
    spec.withAudio = false;
    const std::string clip = install.home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");

    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    const TestDriverDump view(*window);
    PlaybackControl& controller = *window->Controller();
    TrackStore& store = controller.Store();
    auto* browser = window->FindControl<CWebBrowserUI>("WebMap");
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->IsPageLoaded(); }, 20000)) << browser->ScriptErrors().join('\n').toStdString();
    EXPECT_EQ(view.Dump()["map"].toObject()["page"].toString(), "GoogleMap_Oversea.html");

    auto linePoints = [&] { return view.Dump()["map"].toObject()["linePoints"].toInt(); };
    auto hasMarker = [&] { return view.Dump()["map"].toObject()["marker"].isObject(); };
    auto chartPoints = [&] {
        const QJsonObject chart = view.Dump()["chart"].toObject();
        return std::array<int, 3>{chart["X"].toInt(), chart["Y"].toInt(), chart["Z"].toInt()};
    };
    auto send = [&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        window->GetHWND()->sendMessage(message, wParam, lParam);
    };

    window->Dispatcher()->StartClip(clip, true);
    // No text is current before the first cue: the run just started goes on.
    send(platform::WM_PLAYER_EVENT, PLAYER_NO_SUBTITLE, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.getReadyPages() == 3 && store.getShownPages() == 3; }, 20000))
        << store.getReadyPages() << " " << store.getShownPages();
    // 140 kept texts (one in ten) and the last once more, 5 of them unparsed.
    const int valid = validRecords(store);
    EXPECT_EQ(valid, 141 - 5);
    EXPECT_EQ(linePoints(), valid);
    EXPECT_EQ(chartPoints(), (std::array<int, 3>{valid, valid, valid}));
    ASSERT_TRUE(QTest::qWaitFor(hasMarker, 10000));
    EXPECT_EQ(text(*window, "LabelPositionStatus"), "GPS status: Valid fix");

    // In the middle of the clip.
    send(platform::WM_PLAYER_EVENT, PLAYER_NO_SUBTITLE, 0);
    EXPECT_FALSE(hasMarker());
    EXPECT_EQ(text(*window, "LabelPositionStatus"), "GPS status: No fix");
    EXPECT_EQ(linePoints(), valid);
    EXPECT_EQ(chartPoints(), (std::array<int, 3>{valid, valid, valid}));
    EXPECT_EQ(store.getReadyPages(), 3);
    EXPECT_EQ(validRecords(store), valid);
    // The next text at the play position brings the marker back.
    ASSERT_TRUE(QTest::qWaitFor(hasMarker, 10000));

    // A live text of this player that does not parse.
    send(platform::WM_TRACK_LIVE, controller.GetPlayerProcessId(), 0);
    EXPECT_FALSE(hasMarker());
    EXPECT_EQ(linePoints(), valid);
    EXPECT_EQ(chartPoints(), (std::array<int, 3>{valid, valid, valid}));

    // Stop empties the chart and takes the marker; the next clip starts a new line.
    qobject_cast<QAbstractButton*>(window->FindControl("btnStop"))->click();
    EXPECT_EQ(chartPoints(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_FALSE(hasMarker());
    window->close();
}
