#pragma once
// The main window's handler sequences: each click, key, activation, drop
// and worker message becomes a fixed sequence of calls on the playback
// controller and the view. The window hands its inputs here; nothing else
// dispatches.
//
// Playlist activation and Previous/Next share one time stamp: an activation
// within 1000 ms of the last accepted one, or a Previous/Next click within
// 2000 ms of it, is ignored.
//
// Threads: UI thread only; worker threads reach it through the window's
// messages. Created by the main window once the controller and the view
// exist; holds no thread and no resource.
#include "app/MainView.h"
#include "app/PlaybackControl.h"
#include "config/AppConfig.h"
#include "ui/Notification.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>

class MainDispatcher {
public:
    using Clock = std::function<uint32_t()>;

    static constexpr uint32_t kActivationDebounceMs = 1000;
    static constexpr uint32_t kStepDebounceMs = 2000;

    // The clock gives a 32-bit millisecond tick count that may wrap.
    MainDispatcher(PlaybackControl& controller, MainView& view, const AppConfig& config, Clock clock);

    // Inputs.
    void OnClick(const QString& controlName);
    void OnItemActivate(const ui::Notification& msg);
    void OnVideoDoubleClick();
    void OnReturnKey();
    void OnEscapeKey();
    void OnSnapshotKey();
    void OnDropFiles(const QStringList& paths);
    void OnPlayerMessage(uintptr_t code);
    void OnTrackMessage(uintptr_t code);
    void OnRecordMessage(uintptr_t tag, intptr_t parsed);
    void OnPlaylistDeleted(uintptr_t wParam, intptr_t lParam);

    // Named sequences.
    void Stop();
    void StartCurrentItem(bool resetMarker);
    // The start sequence on a clip named directly rather than by the
    // playlist (the test driver's "play").
    void StartClip(const std::string& path, bool resetMarker);
    void Play();
    void Pause();

    uint32_t lastActivationTime() const { return lastActivation_; }

    // The window is closing: from now on nothing is started or changed, also
    // by a sequence that resumes after a dialog it opened has closed.
    void Shutdown() { closed_ = true; }
    bool IsShutDown() const { return closed_; }

private:
    // True when the input comes too soon after the last accepted one;
    // otherwise the input is accepted and stamped.
    bool tooSoon(uint32_t limitMs);
    void clearPlaylist();
    void step(bool forward);
    void open();
    void toggleMute(bool mute);
    void showSnapshot();

    PlaybackControl& controller_;
    MainView& view_;
    const AppConfig& config_;
    Clock clock_;
    uint32_t lastActivation_ = 0;  // 0: none yet
    bool closed_ = false;
};
