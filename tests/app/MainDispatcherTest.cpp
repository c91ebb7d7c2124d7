// The main window's handler sequences against a recording controller and
// view: which calls each input makes, in which order, and which inputs are
// ignored.
#include "RecordingPlayback.h"
#include "app/MainDispatcher.h"
#include "track/TrackEvents.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

const Log kStop = {"StopPlayer", "StopExtraction", "ResetPlayTime", "ShowPlayButton 1", "ResetChart", "resetMarker"};

Log startOf(const std::string& path) {
    return {"ClearTrack", "ResetChart", "ShowPlayButton 0", "ResetPlayTime", "Play " + path, "StartExtraction " + path};
}

Log join(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class Dispatch : public ::testing::Test {
protected:
    Dispatch() : controller(log), view(log), dispatcher(controller, view, config, [this] { return now; }) {
        view.rows = {"/clips/a.mp4", "/clips/b.mp4", "/clips/c.mp4"};
    }

    void activate(int row) {
        dispatcher.OnItemActivate(
            ui::Notification{ui::UI_NOTIFY_ITEMACTIVATE, nullptr, static_cast<uintptr_t>(row), 0});
    }
    Log take() {
        Log taken;
        taken.swap(log);
        return taken;
    }

    Log log;
    RecordingPlayback controller;
    RecordingView view;
    AppConfig config;
    uint32_t now = 100000;
    MainDispatcher dispatcher;
};

}  // namespace

TEST_F(Dispatch, EachWayOfStartingAClipResetsTheViewsBeforeThePlayerAndTheExtraction) {
    activate(1);
    EXPECT_EQ(take(), join({{"PlayActivatedNode 1"}, startOf("/clips/b.mp4")}));

    // Open and drop also take the car marker off the previous clip's route.
    controller.state = PlayerState::Idle;
    view.current = 0;
    dispatcher.OnClick("btnOpenBig");
    EXPECT_EQ(take(), join({{"OpenMediaFile", "resetMarker"}, startOf("/clips/a.mp4")}));
    dispatcher.OnDropFiles({"/clips/a.mp4", "/notes.txt"});
    EXPECT_EQ(take(), join({{"AddDroppedFiles 2", "resetMarker"}, startOf("/clips/a.mp4")}));

    // A cancelled dialog, or a drop that left nothing current, starts nothing.
    view.openChoosesFile = false;
    dispatcher.OnClick("btnOpenBig");
    EXPECT_EQ(take(), Log{"OpenMediaFile"});
    view.current = -1;
    dispatcher.OnDropFiles({"/folder"});
    EXPECT_EQ(take(), Log{"AddDroppedFiles 1"});
}

TEST_F(Dispatch, ActivationsAndPreviousNextShareOneDebounce) {
    activate(0);
    EXPECT_EQ(dispatcher.lastActivationTime(), now);
    take();

    now += 1000;  // "at most 1000 ms" is still too soon
    activate(1);
    EXPECT_TRUE(take().empty());
    controller.state = PlayerState::Playing;
    now += 1000;  // 2000 ms after the accepted activation
    dispatcher.OnClick("btnNext");
    dispatcher.OnClick("btnPrev");
    EXPECT_TRUE(take().empty());

    now += 1;
    dispatcher.OnClick("btnNext");
    EXPECT_EQ(take(), join({{"SelectNext"}, kStop, startOf("/clips/b.mp4")}));
    // The accepted click is the new time stamp: a quick activation is ignored.
    now += 500;
    activate(2);
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, DebounceHoldsAcrossTheWrapOfTheTickCount) {
    now = 0xFFFFFF00u;
    activate(0);
    take();
    now = 0x00000100u;  // 512 ms later
    activate(1);
    EXPECT_TRUE(take().empty());
    now = 0x00000500u;  // 1536 ms later
    activate(1);
    EXPECT_EQ(take().front(), "PlayActivatedNode 1");
}

TEST_F(Dispatch, NextOnTheLastEntryAndPreviousOnTheFirstLeavePlaybackAlone) {
    view.current = 2;
    controller.state = PlayerState::Playing;
    dispatcher.OnClick("btnNext");
    EXPECT_EQ(take(), Log{"SelectNext"});
    now += 3000;
    view.current = 0;
    dispatcher.OnClick("btnPrev");
    EXPECT_EQ(take(), Log{"SelectPrevious"});
    EXPECT_EQ(controller.state, PlayerState::Playing);
}

TEST_F(Dispatch, PlayAndPauseActOnlyInTheirStates) {
    view.current = 0;
    controller.state = PlayerState::Paused;
    dispatcher.OnClick("btnPlay");
    EXPECT_EQ(take(), (Log{"TogglePause", "ShowPlayButton 0"}));
    for (PlayerState state : {PlayerState::Starting, PlayerState::Stopping, PlayerState::Playing}) {
        controller.state = state;
        dispatcher.OnClick("btnPlay");
    }
    EXPECT_TRUE(take().empty());

    controller.state = PlayerState::Paused;
    dispatcher.OnClick("btnPause");
    EXPECT_TRUE(take().empty());
    controller.state = PlayerState::Playing;
    dispatcher.OnClick("btnPause");
    EXPECT_EQ(take(), (Log{"TogglePause", "ShowPlayButton 1"}));

    controller.state = PlayerState::Idle;
    view.current = -1;
    dispatcher.OnClick("btnPlay");
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, MutingZeroesTheSliderAndUnmutingBringsBackTheStoredVolume) {
    controller.volume = 65;
    dispatcher.OnClick("btnVolume");
    EXPECT_EQ(take(), (Log{"SetMute 1", "ShowVolumeButton 0", "SetVolumeSliderValue 0"}));
    EXPECT_EQ(controller.volume, 65);
    dispatcher.OnClick("btnVolume");  // already muted
    EXPECT_TRUE(take().empty());
    dispatcher.OnClick("btnMute");
    EXPECT_EQ(take(), (Log{"SetMute 0", "ShowVolumeButton 1", "SetVolumeSliderValue 65"}));
    dispatcher.OnClick("btnMute");
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, LiveRecordsOfAnEarlierPlayerAreIgnored) {
    controller.pid = 4242;
    controller.record.year = 2016;
    dispatcher.OnRecordMessage(1111, 1);
    dispatcher.OnRecordMessage(1111, 0);
    EXPECT_TRUE(take().empty());
    dispatcher.OnRecordMessage(4242, 1);
    EXPECT_EQ(take(), Log{"ShowRecord 2016"});
    // An unparsed text only takes the live position away; the chart stays.
    dispatcher.OnRecordMessage(4242, 0);
    EXPECT_EQ(take(), (Log{"resetMarker", "ShowNoFix"}));
}

TEST_F(Dispatch, ABatchGoesToTheMapAndTheChartWithOneReadyCount) {
    TrackStore& store = controller.store;
    TrackRecord record;
    record.valid = true;
    for (int i = 0; i < 64; ++i) store.add(&record);
    ASSERT_EQ(store.publishPage(store.generation(), 0, [](TrackPage&) { return true; }), 1);

    dispatcher.OnTrackMessage(TRACK_FIRST_BATCH_DONE);
    dispatcher.OnTrackMessage(TRACK_COMMAND_FAILED);
    controller.stopPending = true;
    dispatcher.OnTrackMessage(TRACK_BATCH_READY);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(store.getShownPages(), 0);

    controller.stopPending = false;
    dispatcher.OnTrackMessage(TRACK_BATCH_READY);
    EXPECT_EQ(take(), (Log{"drawNewPages 1", "AppendNewPages 1"}));
    EXPECT_EQ(store.getShownPages(), 1);
}

TEST_F(Dispatch, PlayerEventsKeepTheViewsInStep) {
    controller.length = 3725;
    controller.position = 60;
    controller.aspect = 1.5;
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    EXPECT_EQ(take(), (Log{"UpdateLength", "SetProgressValue 0", "SetProgressMax 3725", "StartPlayTime 3725"}));
    dispatcher.OnPlayerMessage(PLAYER_TIME);
    EXPECT_EQ(take(), (Log{"UpdatePosition", "UpdatePlayTime 60"}));
    dispatcher.OnPlayerMessage(PLAYER_ASPECT);
    EXPECT_EQ(take(), Log{"SetVideoAspect 1.500000"});

    // No text at this moment (a gap between cues, the last moment): the
    // clip's track and its running extraction are kept.
    const uint64_t generation = controller.store.generation();
    dispatcher.OnPlayerMessage(PLAYER_NO_SUBTITLE);
    EXPECT_EQ(take(), (Log{"resetMarker", "ShowNoFix"}));
    EXPECT_EQ(controller.store.generation(), generation);
    dispatcher.OnPlayerMessage(PLAYER_QUIT);
    EXPECT_EQ(take(), (Log{"ResetChart", "ResetPlayTime", "resetMarker", "ShowPlayButton 1"}));
    EXPECT_EQ(controller.store.generation(), generation + 1);
    dispatcher.OnPlayerMessage(23);
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, TheEndOfAClipMovesOnWithoutTheDebounceAndStopsAfterTheLast) {
    activate(1);
    take();
    controller.state = PlayerState::Playing;
    now += 10;
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    EXPECT_EQ(take(),
              join({{"StopPlayer", "ResetChart", "ShowPlayButton 1", "resetMarker", "ResetPlayTime", "SelectNext"},
                    startOf("/clips/c.mp4")}));
    controller.state = PlayerState::Playing;
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    const Log last = take();
    EXPECT_EQ(last.back(), "SelectNext");
    EXPECT_EQ(controller.state, PlayerState::Idle);
}

TEST_F(Dispatch, DeletingARowRestartsOnlyForThePlayingEntry) {
    view.current = 1;
    controller.state = PlayerState::Playing;
    dispatcher.OnPlaylistDeleted(0, 0);
    EXPECT_EQ(take(), Log{"OnDeleteItem 0"});
    EXPECT_EQ(controller.state, PlayerState::Playing);

    dispatcher.OnPlaylistDeleted(1, 0);
    EXPECT_EQ(take(), join({{"OnDeleteItem 1"}, kStop, {"ResetChart"}, startOf("/clips/b.mp4")}));

    controller.state = PlayerState::Idle;
    dispatcher.OnPlaylistDeleted(1, 0);
    EXPECT_EQ(take(), Log{"OnDeleteItem 1"});
}

TEST_F(Dispatch, ClearingAsksFirstOnlyWhenConfigured) {
    config.cleanTip = true;
    dispatcher.OnClick("btnClear");
    EXPECT_EQ(take(), Log{"ConfirmClear"});
    view.confirmClear = true;
    dispatcher.OnClick("btnClear");
    EXPECT_EQ(take(), join({{"ConfirmClear"}, kStop}));
    config.cleanTip = false;
    dispatcher.OnClick("btnClear");
    EXPECT_EQ(take(), join({{"ClearPlaylist"}, kStop}));
}

TEST_F(Dispatch, ASnapshotPausesPlaybackWhileItsWindowIsOpen) {
    controller.snapshotPath = "/data/shot0001.png";
    controller.videoWidth = 640;
    controller.videoHeight = 360;
    config.snapshotPreview = true;
    dispatcher.OnPlayerMessage(PLAYER_SCREENSHOT);
    EXPECT_EQ(take(), (Log{"TogglePause", "ShowSnapshotPreview /data/shot0001.png 640x360", "TogglePause"}));
    config.snapshotPreview = false;
    dispatcher.OnPlayerMessage(PLAYER_SCREENSHOT);
    EXPECT_EQ(take(), (Log{"TogglePause", "ShowSnapshotPath /data/shot0001.png", "TogglePause"}));
}

TEST_F(Dispatch, NothingStartsOnceTheWindowIsClosing) {
    view.current = 0;
    controller.pid = 7;
    dispatcher.Shutdown();
    activate(0);
    dispatcher.OnClick("btnPlay");
    dispatcher.OnDropFiles({"/clips/a.mp4"});
    dispatcher.OnRecordMessage(7, 1);
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    dispatcher.StartCurrentItem(true);
    EXPECT_TRUE(take().empty());
}
