#pragma once
// What the main window asks of playback: the seam between the window's
// handler sequences and CPlaybackController, which implements it, so that
// the sequences can run against a recording controller in tests.
//
// Threads: the UI thread calls everything (see CPlaybackController for the
// start-up thread's share).
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"
#include "player/PlayerState.h"
#include "track/TrackRecord.h"
#include "track/TrackStore.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class PlaybackControl {
public:
    virtual ~PlaybackControl() = default;

    virtual int Play(std::string_view clipPath) = 0;
    virtual void StopPlayer() = 0;
    virtual int TogglePause() = 0;
    virtual int SetMute(bool muted) = 0;
    virtual bool IsMuted() const = 0;
    virtual int SetVolume(int32_t volume) = 0;
    virtual int32_t GetVolume() const = 0;
    virtual int Seek(int32_t seconds) = 0;
    virtual int TakeScreenshot() = 0;
    virtual int SetSpeed(double factor) = 0;
    virtual double GetSpeed() const = 0;
    virtual int StepFrame(bool forward) = 0;

    virtual PlayerState GetPlayerState() const = 0;
    virtual void UpdateLength() = 0;
    virtual int32_t GetLength() const = 0;
    virtual int32_t UpdatePosition() = 0;
    virtual int32_t GetPosition() const = 0;
    virtual int64_t GetPositionMs() const = 0;
    virtual double GetAspect() const = 0;
    virtual void GetVideoSize(int32_t& width, int32_t& height) const = 0;
    virtual uint32_t GetPlayerProcessId() const = 0;
    virtual std::string GetSnapshotPath() const = 0;
    virtual TrackRecord CurrentRecord() const = 0;

    // The other camera of the next clip started (empty: none), shown in the same picture.
    virtual void SetPartner(std::string_view /*path*/) {}
    // The partner in the picture now; empty when none plays.
    virtual std::string GetPartner() const { return {}; }
    // Kept for the next clips; a clip with a partner changes at once.
    virtual int SetCameraLayout(cameras::CameraLayout /*layout*/, bool /*mirror*/) { return 1; }
    virtual cameras::CameraLayout GetCameraLayout() const { return cameras::CameraLayout::Inset; }
    virtual bool IsPartnerMirrored() const { return false; }
    // All cameras of the next clip's moment (paths, the clip's own first), shown
    // in one picture instead of a partner; empty: none. Kept for the next clips.
    virtual void SetCameras(std::vector<std::string> /*paths*/) {}
    // The cameras in the picture now; empty when none compose.
    virtual std::vector<std::string> GetCameras() const { return {}; }
    // The camera shown large or alone; None: the clip's own. Kept for the next clips.
    virtual int SetLargeCamera(cameras::CameraChannel /*channel*/) { return 1; }
    virtual cameras::CameraChannel GetLargeCamera() const { return cameras::CameraChannel::None; }

    virtual int StartExtraction(std::string_view clipPath) = 0;
    virtual void StopExtraction() = 0;
    virtual bool IsExtractorStopPending() const = 0;
    virtual TrackStore& Store() = 0;
};
