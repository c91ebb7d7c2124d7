#pragma once
// A playback controller and a view that record the calls the main window's
// handler sequences make, in one shared log, for the dispatcher tests.
#include "app/MainView.h"
#include "app/PlaybackControl.h"

#include <string>
#include <vector>

using CallLog = std::vector<std::string>;

class RecordingPlayback final : public PlaybackControl {
public:
    explicit RecordingPlayback(CallLog& log) : log_(log) {}

    int Play(std::string_view clipPath) override {
        log_.push_back("Play " + std::string(clipPath));
        state = PlayerState::Starting;
        return 0;
    }
    void StopPlayer() override {
        log_.push_back("StopPlayer");
        state = PlayerState::Idle;
    }
    int TogglePause() override {
        log_.push_back("TogglePause");
        if (state == PlayerState::Playing) {
            state = PlayerState::Paused;
        } else if (state == PlayerState::Paused) {
            state = PlayerState::Playing;
        }
        return 0;
    }
    int SetMute(bool mute) override {
        log_.push_back(mute ? "SetMute 1" : "SetMute 0");
        muted = mute;
        return 0;
    }
    bool IsMuted() const override { return muted; }
    int SetVolume(int32_t value) override {
        log_.push_back("SetVolume " + std::to_string(value));
        volume = value;
        return 0;
    }
    int32_t GetVolume() const override { return volume; }
    int Seek(int32_t seconds) override {
        log_.push_back("Seek " + std::to_string(seconds));
        return 0;
    }
    int TakeScreenshot() override {
        log_.push_back("TakeScreenshot");
        return 0;
    }
    PlayerState GetPlayerState() const override { return state; }
    void UpdateLength() override { log_.push_back("UpdateLength"); }
    int32_t GetLength() const override { return length; }
    int32_t UpdatePosition() override {
        log_.push_back("UpdatePosition");
        return position;
    }
    int32_t GetPosition() const override { return position; }
    double GetAspect() const override { return aspect; }
    void GetVideoSize(int32_t& width, int32_t& height) const override {
        width = videoWidth;
        height = videoHeight;
    }
    uint32_t GetPlayerProcessId() const override { return pid; }
    std::string GetSnapshotPath() const override { return snapshotPath; }
    TrackRecord CurrentRecord() const override { return record; }
    int StartExtraction(std::string_view clipPath) override {
        log_.push_back("StartExtraction " + std::string(clipPath));
        return 0;
    }
    void StopExtraction() override { log_.push_back("StopExtraction"); }
    bool IsExtractorStopPending() const override { return stopPending; }
    TrackStore& Store() override { return store; }

    PlayerState state = PlayerState::Idle;
    bool muted = false;
    int32_t volume = 40;
    int32_t length = 0;
    int32_t position = 0;
    double aspect = 0.0;
    int32_t videoWidth = 0;
    int32_t videoHeight = 0;
    uint32_t pid = 0;
    std::string snapshotPath;
    TrackRecord record;
    bool stopPending = false;
    TrackStore store;

private:
    CallLog& log_;
};

// A view with a playlist of names and a current index, as the playlist
// model behaves: no wrap-around, nothing current in an empty list.
class RecordingView final : public MainView {
public:
    explicit RecordingView(CallLog& log) : log_(log) {}

    void ShowPlayButton(bool play) override { log_.push_back(play ? "ShowPlayButton 1" : "ShowPlayButton 0"); }
    void ShowVolumeButton(bool on) override { log_.push_back(on ? "ShowVolumeButton 1" : "ShowVolumeButton 0"); }
    void SetProgressValue(int32_t v) override { log_.push_back("SetProgressValue " + std::to_string(v)); }
    void SetProgressMax(int32_t v) override { log_.push_back("SetProgressMax " + std::to_string(v)); }
    int32_t GetVolumeSliderValue() const override { return volumeSlider; }
    void SetVolumeSliderValue(int32_t v) override {
        log_.push_back("SetVolumeSliderValue " + std::to_string(v));
        volumeSlider = v;
    }
    void SetVideoAspect(double a) override { log_.push_back("SetVideoAspect " + std::to_string(a)); }
    void StartPlayTime(int32_t n) override { log_.push_back("StartPlayTime " + std::to_string(n)); }
    void UpdatePlayTime(int32_t p) override { log_.push_back("UpdatePlayTime " + std::to_string(p)); }
    void ResetPlayTime() override { log_.push_back("ResetPlayTime"); }
    void ShowRecord(const TrackRecord& r) override { log_.push_back("ShowRecord " + std::to_string(r.year)); }
    void ShowNoFix() override { log_.push_back("ShowNoFix"); }
    void resetMarker() override { log_.push_back("resetMarker"); }
    void ClearTrack() override { log_.push_back("ClearTrack"); }
    void drawNewPages(TrackStore&, int32_t ready) override { log_.push_back("drawNewPages " + std::to_string(ready)); }
    void ResetChart() override { log_.push_back("ResetChart"); }
    void AppendNewPages(TrackStore&, int32_t ready) override {
        log_.push_back("AppendNewPages " + std::to_string(ready));
    }
    bool GetCurrentPath(std::string& path) const override {
        if (current < 0) return false;
        path = rows[static_cast<size_t>(current)];
        return true;
    }
    bool SelectPrevious() override {
        log_.push_back("SelectPrevious");
        if (current < 1) return false;
        --current;
        return true;
    }
    bool SelectNext() override {
        log_.push_back("SelectNext");
        if (current < 0 || current >= static_cast<int>(rows.size()) - 1) return false;
        ++current;
        return true;
    }
    void ClearPlaylist() override {
        log_.push_back("ClearPlaylist");
        rows.clear();
        current = -1;
    }
    void PlayActivatedNode(const ui::Notification& msg) override {
        log_.push_back("PlayActivatedNode " + std::to_string(msg.wParam));
        current = static_cast<int>(msg.wParam);
    }
    bool OnDeleteItem(uintptr_t wParam, intptr_t) override {
        log_.push_back("OnDeleteItem " + std::to_string(wParam));
        return static_cast<int>(wParam) == current;
    }
    bool OpenMediaFile() override {
        log_.push_back("OpenMediaFile");
        return openChoosesFile;
    }
    void AddDroppedFiles(const QStringList& paths) override {
        log_.push_back("AddDroppedFiles " + std::to_string(paths.size()));
    }
    void OpenSettings() override { log_.push_back("OpenSettings"); }
    bool ConfirmClear() override {
        log_.push_back("ConfirmClear");
        return confirmClear;
    }
    void ShowSnapshotPreview(const std::string& path, int32_t w, int32_t h) override {
        log_.push_back("ShowSnapshotPreview " + path + " " + std::to_string(w) + "x" + std::to_string(h));
    }
    void ShowSnapshotPath(const std::string& path) override { log_.push_back("ShowSnapshotPath " + path); }
    void EnterFullScreen() override {
        log_.push_back("EnterFullScreen");
        fullScreen = true;
    }
    void LeaveFullScreen() override {
        log_.push_back("LeaveFullScreen");
        fullScreen = false;
    }
    bool IsFullScreen() const override { return fullScreen; }

    std::vector<std::string> rows;
    int current = -1;
    int32_t volumeSlider = 40;
    bool openChoosesFile = true;
    bool confirmClear = false;
    bool fullScreen = false;

private:
    CallLog& log_;
};
