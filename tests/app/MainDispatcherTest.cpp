// The main window's handler sequences against a recording controller, the
// window's widgets and a track view, with a real playlist on a folder of
// three clips: which calls each input makes, in which order, and which
// inputs are ignored.
#include "support/RecordingPlayback.h"
#include "app/MainDispatcher.h"
#include "support/TempFolder.h"
#include "track/TrackEvents.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

const Log kReset = {"ResetPlayTime", "ShowPlayButton 1", "ShowNoFix", "ResetTrack"};
const Log kStop = {"StopPlayer", "StopExtraction", "ResetPlayTime", "ShowPlayButton 1", "ShowNoFix", "ResetTrack"};

Log startOf(const std::string& path) {
    return {"StartTrack", "ShowPlayButton 0", "ResetPlayTime", "Play " + path, "StartExtraction " + path};
}

Log join(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class Dispatch : public ::testing::Test {
protected:
    Dispatch()
        : controller(log),
          view(log),
          track(log),
          dispatcher(controller, playlist, views, view, config, [this] { return now; }) {
        for (const char* name : {"a.mp4", "b.mp4", "c.mp4"}) clips.write(name, "");
        AcceptedExtensions extensions;
        extensions.Parse("MP4");
        playlist.SetAcceptedExtensions(extensions);
        // The clips are listed, none is current yet.
        playlist.AddFolderOfFile(clips.path(), "none.mp4");
        views.Add(track);
    }

    std::string clip(const char* name) const { return clips.path() + name; }
    int current() const { return playlist.GetPlayList().GetCurrent(); }
    void makeCurrent(int row) { playlist.PlayActivatedNode(row); }
    void activate(int row) { dispatcher.OnItemActivate(row); }
    Log take() {
        Log taken;
        taken.swap(log);
        return taken;
    }

    testing_support::TempFolder clips;
    Log log;
    RecordingPlayback controller;
    RecordingView view;
    RecordingTrackView track;
    CPlaylistController playlist;
    TrackViews views;
    AppConfig config;
    uint32_t now = 100000;
    MainDispatcher dispatcher;
};

}  // namespace

TEST_F(Dispatch, EachWayOfStartingAClipResetsTheViewsBeforeThePlayerAndTheExtraction) {
    activate(1);
    EXPECT_EQ(take(), startOf(clip("b.mp4")));
    EXPECT_EQ(current(), 1);

    // Open and drop also take the car marker off the previous clip's route.
    controller.state = PlayerState::Idle;
    view.chosenFile = clip("a.mp4");
    dispatcher.OnClick("btnOpenBig");
    EXPECT_EQ(take(), join({{"ChooseMediaFile", "LoseLivePosition"}, startOf(clip("a.mp4"))}));
    dispatcher.OnDropFiles({clip("c.mp4"), "/notes.txt"});
    EXPECT_EQ(take(), join({{"LoseLivePosition"}, startOf(clip("c.mp4"))}));
    EXPECT_EQ(current(), 2);

    // A cancelled dialog, a drop that brings no clip (the playing one goes
    // on), or one that left nothing current, starts nothing.
    view.chosenFile.clear();
    dispatcher.OnClick("btnOpenBig");
    EXPECT_EQ(take(), Log{"ChooseMediaFile"});
    dispatcher.OnDropFiles({clips.write("notes.txt", ""), clips.path()});
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(current(), 2);
    playlist.ClearPlaylist();
    dispatcher.OnDropFiles({clips.write("folder/readme.txt", "")});
    EXPECT_TRUE(take().empty());
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
    EXPECT_EQ(take(), join({kStop, startOf(clip("b.mp4"))}));
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
    EXPECT_EQ(current(), 1);
}

TEST_F(Dispatch, NextOnTheLastEntryAndPreviousOnTheFirstLeavePlaybackAlone) {
    makeCurrent(2);
    controller.state = PlayerState::Playing;
    dispatcher.OnClick("btnNext");
    EXPECT_EQ(current(), 2);
    now += 3000;
    makeCurrent(0);
    dispatcher.OnClick("btnPrev");
    EXPECT_EQ(current(), 0);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(controller.state, PlayerState::Playing);
}

TEST_F(Dispatch, PlayAndPauseActOnlyInTheirStates) {
    makeCurrent(0);
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
    playlist.ClearPlaylist();
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
    EXPECT_EQ(take(), (Log{"LoseLivePosition", "ShowNoFix"}));  // exactly 0/0: the camera's "no fix"
    controller.record.valid = true;
    controller.record.longitude = 113.5;
    dispatcher.OnRecordMessage(4242, 1);
    EXPECT_EQ(take(), (Log{"ShowRecord 2016", "ShowLiveRecord 2016"}));
    // An unparsed text only takes the live position away; the track stays.
    dispatcher.OnRecordMessage(4242, 0);
    EXPECT_EQ(take(), (Log{"LoseLivePosition", "ShowNoFix"}));
}

TEST_F(Dispatch, ABatchGoesToEveryTrackViewWithOneReadyCount) {
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
    RecordingTrackView second(log);
    views.Add(second);
    dispatcher.OnTrackMessage(TRACK_BATCH_READY);
    EXPECT_EQ(take(), (Log{"TakeNewPages 0..1", "TakeNewPages 0..1"}));
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
    EXPECT_EQ(take(), (Log{"LoseLivePosition", "ShowNoFix"}));
    EXPECT_EQ(controller.store.generation(), generation);
    dispatcher.OnPlayerMessage(PLAYER_QUIT);
    EXPECT_EQ(take(), kReset);
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
    EXPECT_EQ(take(), join({{"StopPlayer"}, kReset, startOf(clip("c.mp4"))}));
    controller.state = PlayerState::Playing;
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    EXPECT_EQ(take(), join({{"StopPlayer"}, kReset}));
    EXPECT_EQ(controller.state, PlayerState::Idle);
    EXPECT_EQ(current(), 2);
}

TEST_F(Dispatch, DeletingARowRestartsOnlyForThePlayingEntry) {
    makeCurrent(1);  // b.mp4
    controller.state = PlayerState::Playing;
    dispatcher.OnPlaylistDeleted(0);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(controller.state, PlayerState::Playing);
    dispatcher.OnPlaylistDeleted(-1);  // a row already gone
    EXPECT_EQ(playlist.GetPlayList().GetCount(), 2);

    // Deleting the playing b.mp4, now row 0, plays the clip that took its place.
    dispatcher.OnPlaylistDeleted(0);
    EXPECT_EQ(take(), join({kStop, startOf(clip("c.mp4"))}));

    controller.state = PlayerState::Idle;
    dispatcher.OnPlaylistDeleted(0);
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, ClearingAsksFirstOnlyWhenConfigured) {
    config.cleanTip = true;
    dispatcher.OnClick("btnClear");
    EXPECT_EQ(take(), Log{"ConfirmClear"});
    EXPECT_EQ(playlist.GetPlayList().GetCount(), 3);
    view.confirmClear = true;
    dispatcher.OnClick("btnClear");
    EXPECT_EQ(take(), join({{"ConfirmClear"}, kStop}));
    EXPECT_EQ(playlist.GetPlayList().GetCount(), 0);
    config.cleanTip = false;
    dispatcher.OnClick("btnClear");
    EXPECT_EQ(take(), kStop);
}

TEST_F(Dispatch, ASnapshotPausesPlaybackWhileItsWindowIsOpen) {
    controller.state = PlayerState::Playing;
    controller.snapshotPath = "/data/shot0001.png";
    controller.videoWidth = 640;
    controller.videoHeight = 360;
    config.snapshotPreview = true;
    dispatcher.OnPlayerMessage(PLAYER_SCREENSHOT);
    EXPECT_EQ(take(), (Log{"TogglePause", "ShowSnapshotPreview /data/shot0001.png 640x360", "TogglePause"}));
    config.snapshotPreview = false;
    dispatcher.OnPlayerMessage(PLAYER_SCREENSHOT);
    EXPECT_EQ(take(), (Log{"TogglePause", "ShowSnapshotPath /data/shot0001.png", "TogglePause"}));
    // A paused picture stays paused: the window must not resume it.
    controller.state = PlayerState::Paused;
    dispatcher.OnPlayerMessage(PLAYER_SCREENSHOT);
    EXPECT_EQ(take(), (Log{"ShowSnapshotPath /data/shot0001.png"}));
    EXPECT_EQ(controller.state, PlayerState::Paused);
}

TEST_F(Dispatch, NothingStartsOnceTheWindowIsClosing) {
    makeCurrent(0);
    controller.pid = 7;
    dispatcher.Shutdown();
    activate(0);
    dispatcher.OnClick("btnPlay");
    dispatcher.OnDropFiles({clip("a.mp4")});
    dispatcher.OnRecordMessage(7, 1);
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    dispatcher.StartCurrentItem(true);
    EXPECT_TRUE(take().empty());
}

TEST_F(Dispatch, ClipsThatDidNotPlayAsVideoAreMarkedInThePlaylist) {
    auto problemOf = [this](int row) { return playlist.GetPlayList().GetEntryAt(row)->problem; };
    clips.write("0 empty.mp4", "");  // sorts first
    clips.write("x damaged.mp4", "not a clip");
    playlist.AddFolderOfFile(clips.path(), "0 empty.mp4");
    dispatcher.StartCurrentItem(false);
    // Ends before it started: zero bytes.
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    EXPECT_EQ(problemOf(0), ClipProblem::Empty);
    // The next one (a.mp4) starts, plays without a picture and ends.
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    EXPECT_EQ(problemOf(1), ClipProblem::NoVideo);
    // b.mp4 has a picture; stopped before it started, it is not judged.
    controller.videoWidth = 640;
    controller.videoHeight = 360;
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    dispatcher.OnClick("btnStop");
    dispatcher.OnPlayerMessage(PLAYER_QUIT);
    EXPECT_EQ(problemOf(2), ClipProblem::None);
    EXPECT_EQ(problemOf(3), ClipProblem::None);
    // The engine gives up on x damaged.mp4 before it starts.
    playlist.PlayActivatedNode(4);
    dispatcher.StartCurrentItem(false);
    dispatcher.OnPlayerMessage(PLAYER_EOF);
    EXPECT_EQ(problemOf(4), ClipProblem::Unplayable);
}

TEST_F(Dispatch, AStartBeforeTheServicesWaitsForThemAndNoSoundIsSaidOnce) {
    dispatcher.HoldStartsUntilServices();
    activate(1);
    EXPECT_EQ(take(), Log{"ShowPlayButton 0"});
    dispatcher.OnServicesStarted();
    EXPECT_EQ(take(), startOf(clip("b.mp4")));

    dispatcher.OnPlayerMessage(PLAYER_NO_SOUND);
    dispatcher.OnPlayerMessage(PLAYER_NO_SOUND);
    EXPECT_EQ(take(), Log{"ShowNoSoundNotice"});
    EXPECT_EQ(playlist.GetPlayList().GetEntryAt(1)->problem, ClipProblem::None);
}

TEST_F(Dispatch, AMomentPickedOnTheMapSeeksTheClipOrStartsAnotherThere) {
    controller.seekMoves = true;
    activate(0);
    take();
    // The clip is still starting: the seek waits for its start.
    dispatcher.PlayClipAt(clip("a.mp4"), 12);
    EXPECT_TRUE(take().empty());
    controller.state = PlayerState::Playing;
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    EXPECT_EQ(take().back(), "UpdatePlayTime 12");
    // The slider and the play time show the moment at once.
    dispatcher.PlayClipAt(clip("a.mp4"), 30);
    EXPECT_EQ(take(), (Log{"Seek 30", "UpdatePlayTime 30"}));

    // Another clip of the playlist becomes the current entry and starts; it
    // seeks once, after the player reports the start.
    dispatcher.PlayClipAt(clip("c.mp4"), 45);
    EXPECT_EQ(take(), join({kStop, startOf(clip("c.mp4"))}));
    EXPECT_EQ(current(), 2);
    controller.state = PlayerState::Playing;
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    EXPECT_EQ(take().back(), "UpdatePlayTime 45");
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    for (const std::string& entry : take()) EXPECT_NE(entry, "Seek 45");

    // A stop forgets a seek still waiting; a clip outside the playlist and a
    // negative time do nothing.
    dispatcher.PlayClipAt(clip("b.mp4"), 7);
    dispatcher.Stop();
    controller.state = PlayerState::Playing;
    dispatcher.OnPlayerMessage(PLAYER_STARTED);
    for (const std::string& entry : take()) EXPECT_NE(entry, "Seek 7");
    dispatcher.PlayClipAt("/elsewhere/x.mp4", 5);
    dispatcher.PlayClipAt(clip("b.mp4"), -1);
    EXPECT_TRUE(take().empty());
}
