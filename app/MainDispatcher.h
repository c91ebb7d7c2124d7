#pragma once
// The main window's handler sequences: each click, key, activation, drop
// and worker message becomes a fixed sequence of calls on four seams: the
// playback controller, the playlist, the track views and the window's own
// widgets. The window decodes its messages and hands its inputs here;
// nothing else dispatches.
//
// Playlist activation and Previous/Next share one time stamp: an activation
// within 1000 ms of the last accepted one, or a Previous/Next click within
// 2000 ms of it, is ignored.
//
// Threads: UI thread only; worker threads reach it through the window's
// messages. Created by the main window once the controller and the view
// exist; holds no thread and no resource.
#include "app/MainView.h"
#include "config/AppConfig.h"
#include "player/PlaybackControl.h"
#include "playlist/CPlaylistController.h"
#include "track/TrackViews.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class MainDispatcher {
public:
    using Clock = std::function<uint32_t()>;

    static constexpr uint32_t kActivationDebounceMs = 1000;
    static constexpr uint32_t kStepDebounceMs = 2000;

    // The clock gives a 32-bit millisecond tick count that may wrap.
    MainDispatcher(PlaybackControl& controller, CPlaylistController& playlist, TrackViews& trackViews, MainView& view,
                   const AppConfig& config, Clock clock);

    // Inputs.
    void OnClick(const QString& controlName);
    // A playlist row was activated; -1 when the notification was not about a row of the playlist.
    void OnItemActivate(int row);
    void OnVideoDoubleClick();
    void OnReturnKey();
    void OnEscapeKey();
    void OnSnapshotKey();
    // Local paths, in drop order.
    void OnDropFiles(const std::vector<std::string>& paths);
    void OnPlayerMessage(uintptr_t code);
    void OnTrackMessage(uintptr_t code);
    void OnRecordMessage(uintptr_t tag, intptr_t parsed);
    // A row's delete button was clicked; -1 when that row is gone.
    void OnPlaylistDeleted(int row);

    // Named sequences.
    // Stops the player and the extraction and resets the views (also when
    // the window closes).
    void Stop();
    void StartCurrentItem(bool resetMarker);
    // The start sequence on a clip named directly rather than by the
    // playlist (the test driver's "play").
    void StartClip(const std::string& path, bool resetMarker);
    void Play();
    void Pause();
    // A moment picked on the map: the clip being played seeks to it; another
    // clip of the playlist becomes the current entry, starts, and seeks
    // there once the player reports it started. A clip not in the playlist
    // is ignored.
    void PlayClipAt(const std::string& path, int32_t seconds);

    uint32_t lastActivationTime() const { return lastActivation_; }

    // The window is closing: from now on nothing is started or changed, also
    // by a sequence that resumes after a dialog it opened has closed.
    void Shutdown() { closed_ = true; }
    // The player's services start on a thread of their own after the window
    // shows; a clip started before they are up (files of the command line, an
    // early drop) waits for them instead of failing to start.
    void HoldStartsUntilServices() { servicesReady_ = false; }
    void OnServicesStarted();
    bool IsShutDown() const { return closed_; }
    // Seeks in the clip played and shows the new moment on the slider and
    // the play time at once; a refused seek leaves them where they are.
    void SeekTo(int32_t seconds);

private:
    // True when the input comes too soon after the last accepted one;
    // otherwise the input is accepted and stamped.
    bool tooSoon(uint32_t limitMs);
    // The views of a clip that is no longer played: play time, Play button,
    // no fix on the panel, and the track views.
    void resetViews();
    // The clip being played ended before it started (or plays without a
    // picture): its playlist row says so.
    void judgeEndedClip();
    void markClip(ClipProblem problem);
    void clearPlaylist();
    void step(bool forward);
    void open();
    void toggleMute(bool mute);
    void showSnapshot();

    PlaybackControl& controller_;
    CPlaylistController& playlist_;
    TrackViews& trackViews_;
    MainView& view_;
    const AppConfig& config_;
    Clock clock_;
    uint32_t lastActivation_ = 0;  // 0: none yet
    std::string clipPath_;         // the clip last started, until a stop
    std::string partnerPath_;      // the other camera of that clip's moment; empty: none
    bool clipStarted_ = false;
    bool noSoundNoticed_ = false;  // the no-sound notice shows once a session
    bool servicesReady_ = true;
    std::string heldClip_;  // started before the services were up
    bool heldResetMarker_ = false;
    int32_t pendingSeek_ = -1;     // seconds to seek to once the clip starts; -1: none
    bool closed_ = false;
};
