#pragma once
// What the main window's handler sequences ask of the view side: the
// playback widgets, the information panel, the map, the chart, the playlist,
// the windows the main window opens, and full-screen mode. CViewManager is
// the real one; tests record the calls.
//
// Threads: UI thread only.
#include "track/TrackRecord.h"
#include "track/TrackStore.h"
#include "ui/Notification.h"

#include <QStringList>
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
    virtual int32_t GetVolumeSliderValue() const = 0;
    virtual void SetVolumeSliderValue(int32_t volume) = 0;
    virtual void SetVideoAspect(double aspect) = 0;

    // Information panel and play time.
    virtual void StartPlayTime(int32_t lengthSeconds) = 0;
    virtual void UpdatePlayTime(int32_t positionSeconds) = 0;
    virtual void ResetPlayTime() = 0;
    // Panel texts and the car marker.
    virtual void ShowRecord(const TrackRecord& record) = 0;
    virtual void ShowNoFix() = 0;

    // Map and chart. The pages to take are those from the store's
    // shownPages up to readyPages, which the caller read once for both.
    virtual void resetMarker() = 0;
    // A clip starts: no line and no car of the previous one stay on the map.
    virtual void ClearTrack() = 0;
    virtual void drawNewPages(TrackStore& store, int32_t readyPages) = 0;
    virtual void ResetChart() = 0;
    virtual void AppendNewPages(TrackStore& store, int32_t readyPages) = 0;

    // Playlist. Paths are UTF-8.
    virtual bool GetCurrentPath(std::string& path) const = 0;
    virtual bool SelectPrevious() = 0;
    virtual bool SelectNext() = 0;
    virtual void ClearPlaylist() = 0;
    virtual void PlayActivatedNode(const ui::Notification& msg) = 0;
    // True when the deleted row was the current entry.
    virtual bool OnDeleteItem(uintptr_t wParam, intptr_t lParam) = 0;
    // True when a file was chosen.
    virtual bool OpenMediaFile() = 0;
    virtual void AddDroppedFiles(const QStringList& paths) = 0;

    // Windows of the main window, run modally.
    virtual void OpenSettings() = 0;
    // True when the user confirmed and the playlist was emptied.
    virtual bool ConfirmClear() = 0;
    virtual void ShowSnapshotPreview(const std::string& path, int32_t width, int32_t height) = 0;
    virtual void ShowSnapshotPath(const std::string& path) = 0;

    // Full-screen mode; entering while in it and leaving while not in it change nothing.
    virtual void EnterFullScreen() = 0;
    virtual void LeaveFullScreen() = 0;
    virtual bool IsFullScreen() const = 0;
};
