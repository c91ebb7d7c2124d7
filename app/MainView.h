#pragma once
// What the main window's handler sequences ask of the window's own widgets:
// the playback buttons and sliders, the information panel, the windows the
// main window opens, and full-screen mode. The playlist and the track views
// (map, chart) are seams of their own (CPlaylistController, TrackViews).
// CViewManager is the real one; tests record the calls.
//
// Threads: UI thread only.
#include "track/TrackRecord.h"

#include <cstdint>
#include <string>

class MainView {
public:
    virtual ~MainView() = default;

    // Playback widgets. ShowPlayButton(true) shows Play and hides Pause;
    // ShowVolumeButton(true) shows Volume (not muted) and hides Mute.
    virtual void ShowPlayButton(bool play) = 0;
    virtual void ShowVolumeButton(bool volume) = 0;
    virtual void SetProgressValue(int32_t seconds) = 0;
    virtual void SetProgressMax(int32_t seconds) = 0;
    virtual void SetVolumeSliderValue(int32_t volume) = 0;
    virtual void SetVideoAspect(double aspect) = 0;
    // The cameras' layout button, shown only while another camera plays along.
    virtual void ShowLayoutButton(bool shown) = 0;
    // The machine has no sound output: said once, without stopping the picture.
    virtual void ShowNoSoundNotice() = 0;

    // Information panel and play time.
    virtual void StartPlayTime(int32_t lengthSeconds) = 0;
    virtual void UpdatePlayTime(int32_t positionSeconds) = 0;
    virtual void ResetPlayTime() = 0;
    virtual void ShowRecord(const TrackRecord& record) = 0;
    virtual void ShowNoFix() = 0;
    // The car's own channels of the moment shown; empty hides their rows.
    virtual void ShowVehicle(const std::optional<VehicleChannels>& channels) { (void)channels; }

    // Windows of the main window, run modally.
    // The open dialog: the chosen file's local path, empty when cancelled.
    virtual std::string ChooseMediaFile() = 0;
    virtual void OpenSettings() = 0;
    // True when the user confirmed.
    virtual bool ConfirmClear() = 0;
    virtual void ShowSnapshotPreview(const std::string& path, int32_t width, int32_t height) = 0;
    virtual void ShowSnapshotPath(const std::string& path) = 0;

    // Full-screen mode; entering while in it and leaving while not in it change nothing.
    virtual void EnterFullScreen() = 0;
    virtual void LeaveFullScreen() = 0;
    virtual bool IsFullScreen() const = 0;
};
