#pragma once
// The one object through which the main window plays media. It owns the
// player process (CMplayer) and the track pipeline of the clip: the live
// TrackParser, the SubtitleExtractor, the TelemetryExtractor and the
// TrackStore. It keeps the clip's length and position in whole seconds for
// the display and never touches a control; the main window reacts to the
// events and reads the values.
//
// A clip's track comes from one of two paths. StartExtraction starts the
// TelemetryExtractor, whose worker probes the clip: a clip with telemetry
// data of its own (Novatek, NMEA, GoPro, ...) is read there, and its live
// record follows the player's reported positions (the player then asks for
// positions instead of texts and ignores the engine's texts). The camera's
// text track, a clip without data and any file the probe cannot open come
// back to the hook, which starts the converter's run on the worker, so that
// path (the converter, the batches, the engine's live text) stays as it was.
//
// Threads: the UI thread calls everything, except that the start-up thread
// calls StartServices (or the Configure steps) and may call SetVolume
// meanwhile. The player's output reader calls into the live parser through
// the subtitle callback (the parser locks) and into the TelemetryExtractor
// through the position callback; the extractors' threads and the views
// share the TrackStore under its own rules. The extractors are set up on
// the start-up thread while the UI thread may already start a run, and the
// telemetry worker starts the converter's run, so their configuration,
// start and stop are under a lock here.
// Lifecycle: construction starts nothing. StartServices starts the live
// parser's worker and configures the player and the extractors. Play starts
// a player process per clip, StartExtraction an extraction run per clip.
// The destructor stops the telemetry run, the converter's run and the
// player, and joins the telemetry workers, before the parser and the store
// go.
#include "player/CMplayer.h"
#include "player/PlaybackControl.h"
#include "player/PlaybackSetup.h"
#include "track/SubtitleExtractor.h"
#include "track/TelemetryExtractor.h"
#include "track/TrackParser.h"
#include "track/TrackRecord.h"
#include "track/TrackStore.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

class CPlaybackController final : public PlaybackControl {
public:
    static constexpr const char* kPlayerExtraOptions = "-sid 0 -idx -nokeepaspect";

    CPlaybackController();
    ~CPlaybackController() override;
    CPlaybackController(const CPlaybackController&) = delete;
    CPlaybackController& operator=(const CPlaybackController&) = delete;

    // Start-up: the live parser's worker, the player, the extractor.
    void StartServices(const PlaybackSetup& setup);
    void ConfigurePlayer(const PlaybackSetup& setup);
    void ConfigureExtractor(const PlaybackSetup& setup);

    // Starts the clip unless the player is starting or stopping (then 1):
    // 0, or the errno of a failed player start.
    int Play(std::string_view clipPath) override;
    void StopPlayer() override;
    int TogglePause() override;
    int SetMute(bool muted) override;
    bool IsMuted() const override { return player_.IsMuted(); }
    int SetVolume(int32_t volume) override;
    int32_t GetVolume() const override { return player_.GetVolume(); }
    // The player's answer; the position becomes the target, at most the
    // length, only when the seek went out: a refused seek leaves it alone.
    int Seek(int32_t seconds) override;
    // 1 unless playing or paused.
    int TakeScreenshot() override;
    // Kept for the following clips; 1 for a factor the player cannot take.
    int SetSpeed(double factor) override { return player_.SetSpeed(factor); }
    double GetSpeed() const override { return player_.GetSpeed(); }
    // 1 unless paused.
    int StepFrame(bool forward) override { return player_.StepFrame(forward); }

    PlayerState GetPlayerState() const override { return player_.GetState(); }
    void UpdateLength() override;
    int32_t GetLength() const override { return length_.load(); }
    int32_t UpdatePosition() override;
    int32_t GetPosition() const override { return position_.load(); }
    // The player's last answer, to the millisecond.
    int64_t GetPositionMs() const override { return player_.GetPositionMs(); }
    double GetAspect() const override { return player_.GetAspect(); }
    void GetVideoSize(int32_t& width, int32_t& height) const override;
    uint32_t GetPlayerProcessId() const override { return player_.GetProcessId(); }
    // The player's working folder followed directly by the last snapshot's name.
    std::string GetSnapshotPath() const override;
    // The latest live record: of the clip's own data, or the live parser's.
    TrackRecord CurrentRecord() const override;

    void SetPartner(std::string_view path) override { player_.SetPartnerFile(path); }
    std::string GetPartner() const override;
    // The clip given to the player last (it may have ended since).
    std::string GetClip() const { return player_.GetMediaFile(); }
    int SetCameraLayout(cameras::CameraLayout layout, bool mirror) override;
    cameras::CameraLayout GetCameraLayout() const override;
    bool IsPartnerMirrored() const override { return player_.IsPartnerMirrored(); }
    void SetCameras(std::vector<std::string> paths) override;
    std::vector<std::string> GetCameras() const override;
    int SetLargeCamera(cameras::CameraChannel channel) override;
    cameras::CameraChannel GetLargeCamera() const override;

    // A new extraction run on the clip: 0 when it started (the converter's
    // run of a camera-text clip starts once the clip was probed), 1 when
    // ignored (no such file, or the converter is launching or stopping).
    int StartExtraction(std::string_view clipPath) override;
    void StopExtraction() override;
    // The converter's stop is pending; never while the clip's own data is read.
    bool IsExtractorStopPending() const override;

    TrackStore& Store() override { return store_; }

private:
    std::atomic<int32_t> length_{0};
    std::atomic<int32_t> position_{0};
    // Declared so that the extractor and then the player go first: both feed
    // the parser and the store.
    TrackStore store_;
    TrackParser liveParser_;
    CMplayer player_;
    std::mutex extractorMutex_;
    const AppConfig* config_ = nullptr;  // under extractorMutex_; its fields are the UI thread's
    SubtitleExtractor extractor_;  // configured, started and stopped under extractorMutex_
    // After the converter's extractor: its workers are joined first. Under extractorMutex_ as well.
    TelemetryExtractor telemetry_;
};
