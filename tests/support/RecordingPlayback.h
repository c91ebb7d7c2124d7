#pragma once
// A playback controller, the window's widgets and a track view that record
// the calls the main window's handler sequences make, in one shared log, for
// the dispatcher tests.
#include "app/MainView.h"
#include "player/PlaybackControl.h"
#include "track/TrackView.h"

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
        if (seekMoves) position = seconds;
        return 0;
    }
    int TakeScreenshot() override {
        log_.push_back("TakeScreenshot");
        return 0;
    }
    int SetSpeed(double factor) override {
        log_.push_back("SetSpeed " + std::to_string(factor).substr(0, 4));
        speed = factor;
        return 0;
    }
    double GetSpeed() const override { return speed; }
    int StepFrame(bool forward) override {
        log_.push_back(forward ? "StepFrame 1" : "StepFrame 0");
        return 0;
    }
    int64_t GetPositionMs() const override { return int64_t{position} * 1000; }
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
    bool seekMoves = false;  // a seek moves the position, as the real one does once sent
    double speed = 1.0;
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

// The window's own widgets.
class RecordingView final : public MainView {
public:
    explicit RecordingView(CallLog& log) : log_(log) {}

    void ShowPlayButton(bool play) override { log_.push_back(play ? "ShowPlayButton 1" : "ShowPlayButton 0"); }
    void ShowLayoutButton(bool) override {}
    void ShowNoSoundNotice() override { log_.push_back("ShowNoSoundNotice"); }
    void ShowVolumeButton(bool on) override { log_.push_back(on ? "ShowVolumeButton 1" : "ShowVolumeButton 0"); }
    void SetProgressValue(int32_t v) override { log_.push_back("SetProgressValue " + std::to_string(v)); }
    void SetProgressMax(int32_t v) override { log_.push_back("SetProgressMax " + std::to_string(v)); }
    void SetVolumeSliderValue(int32_t v) override { log_.push_back("SetVolumeSliderValue " + std::to_string(v)); }
    void SetVideoAspect(double a) override { log_.push_back("SetVideoAspect " + std::to_string(a)); }
    void StartPlayTime(int32_t n) override { log_.push_back("StartPlayTime " + std::to_string(n)); }
    void UpdatePlayTime(int32_t p) override { log_.push_back("UpdatePlayTime " + std::to_string(p)); }
    void ResetPlayTime() override { log_.push_back("ResetPlayTime"); }
    void ShowRecord(const TrackRecord& r) override { log_.push_back("ShowRecord " + std::to_string(r.year)); }
    void ShowNoFix() override { log_.push_back("ShowNoFix"); }
    std::string ChooseMediaFile() override {
        log_.push_back("ChooseMediaFile");
        return chosenFile;
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

    std::string chosenFile;
    bool confirmClear = false;
    bool fullScreen = false;

private:
    CallLog& log_;
};

// A track view (the map, the chart, ...).
class RecordingTrackView final : public TrackView {
public:
    explicit RecordingTrackView(CallLog& log) : log_(log) {}

    void StartTrack() override { log_.push_back("StartTrack"); }
    void TakeNewPages(TrackStore& store, int32_t ready) override {
        log_.push_back("TakeNewPages " + std::to_string(store.getShownPages()) + ".." + std::to_string(ready));
    }
    void ShowLiveRecord(const TrackRecord& r) override { log_.push_back("ShowLiveRecord " + std::to_string(r.year)); }
    void LoseLivePosition() override { log_.push_back("LoseLivePosition"); }
    void ResetTrack() override { log_.push_back("ResetTrack"); }

private:
    CallLog& log_;
};
