#pragma once
// The window's playback seam on the real CPlaybackController: every call
// goes straight through.
//
// Threads: as CPlaybackController. Lives no longer than the controller.
#include "app/PlaybackControl.h"
#include "player/CPlaybackController.h"

class ControllerPlaybackControl final : public PlaybackControl {
public:
    explicit ControllerPlaybackControl(CPlaybackController& controller) : controller_(controller) {}

    int Play(std::string_view clipPath) override;
    void StopPlayer() override;
    int TogglePause() override;
    int SetMute(bool muted) override;
    bool IsMuted() const override;
    int SetVolume(int32_t volume) override;
    int32_t GetVolume() const override;
    int Seek(int32_t seconds) override;
    int TakeScreenshot() override;

    PlayerState GetPlayerState() const override;
    void UpdateLength() override;
    int32_t GetLength() const override;
    int32_t UpdatePosition() override;
    int32_t GetPosition() const override;
    double GetAspect() const override;
    void GetVideoSize(int32_t& width, int32_t& height) const override;
    uint32_t GetPlayerProcessId() const override;
    std::string GetSnapshotPath() const override;
    TrackRecord CurrentRecord() const override;

    int StartExtraction(std::string_view clipPath) override;
    void StopExtraction() override;
    bool IsExtractorStopPending() const override;
    TrackStore& Store() override;

private:
    CPlaybackController& controller_;
};
