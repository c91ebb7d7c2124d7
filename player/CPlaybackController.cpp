#include "player/CPlaybackController.h"

#include "cameras/CameraNaming.h"
#include "platform/FileSystem.h"
#include "track/TrackMapConversion.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// Whole seconds of a length or position, without undefined conversions.
int32_t wholeSeconds(double seconds) {
    if (!(seconds > 0.0)) return 0;
    return static_cast<int32_t>(std::min(std::trunc(seconds), double{std::numeric_limits<int32_t>::max()}));
}

}  // namespace

CPlaybackController::CPlaybackController() = default;

CPlaybackController::~CPlaybackController() {
    {
        // A telemetry worker may be about to start the converter's run: from
        // here on its run is no longer current.
        std::lock_guard lock(extractorMutex_);
        telemetry_.stop();
    }
    extractor_.stop();
    player_.Stop();
}

void CPlaybackController::StartServices(const PlaybackSetup& setup) {
    liveParser_.startLive(setup.window);
    ConfigurePlayer(setup);
    ConfigureExtractor(setup);
}

void CPlaybackController::ConfigurePlayer(const PlaybackSetup& setup) {
    player_.SetPlayerPath(setup.programFolder + "MPlayer/mplayer");
    player_.SetWorkDir(setup.userDataFolder);
    player_.SetVideoWindow(setup.videoWindow);
    player_.SetNotifyWindow(setup.window, platform::WM_PLAYER_EVENT);
    if (setup.config) {
        player_.SetVideoOut(setup.config->videoOutput);  // empty values keep the defaults
        player_.SetAudioOut(setup.config->audioOutput);
        player_.SetSoundDevice(setup.config->soundDevice);
        SetCameraLayout(setup.config->cameraLayout, setup.config->mirrorRear);
        SetLargeCamera(setup.config->largeCamera);
    }
    player_.SetExtraOptions(kPlayerExtraOptions);
    // The reader thread hands the text current at the play position to the
    // live parser, tagged with the process it came from.
    player_.SetSubtitleCallback(
        [this](const std::string& text, int32_t processId) { liveParser_.submit(text.c_str(), processId); });
    // A clip with data of its own: the record at each reported position.
    player_.SetPositionCallback([this](int64_t positionMs, int32_t processId) {
        telemetry_.followPosition(positionMs, static_cast<uint32_t>(processId));
    });
    player_.SetLiveFromPosition([this] { return telemetry_.ownsClip(); });
}

void CPlaybackController::ConfigureExtractor(const PlaybackSetup& setup) {
    std::lock_guard lock(extractorMutex_);
    extractor_.setConverterPath(setup.programFolder + "FFMpeg/ffmpeg");
    extractor_.setExtraArguments(SubtitleExtractor::STANDARD_EXTRA_ARGUMENTS);
    extractor_.setTarget(setup.window, platform::WM_TRACK_EVENT);
    extractor_.setStore(&store_);
    std::optional<TrackMapConversion> conversion = setup.trackConversion;
    if (!conversion && setup.config)
        conversion = trackMapConversionFor(setup.config->mapKind.load(), setup.config->locale);
    if (conversion) {
        extractor_.setConversion(*conversion);
        telemetry_.setConversion(*conversion);
    }
    config_ = setup.config;
    telemetry_.setTarget(setup.window);
    telemetry_.setStore(&store_);
    // On the telemetry worker: the clip is the camera's text track (or has
    // no data), so the converter's run takes it, unless the run is over.
    telemetry_.setOtherTrackHook([this](uint64_t run, const std::string& path) {
        std::lock_guard hookLock(extractorMutex_);
        if (telemetry_.run() != run) return;
        extractor_.setInputPath(path);
        extractor_.start();
    });
}

int CPlaybackController::Play(std::string_view clipPath) {
    const PlayerState state = player_.GetState();
    if (state == PlayerState::Starting || state == PlayerState::Stopping) return 1;
    player_.Stop();
    length_.store(0);
    position_.store(0);
    player_.SetMediaFile(clipPath);
    return player_.Start();
}

std::string CPlaybackController::GetPartner() const {
    return player_.IsPartnerPlaying() ? player_.GetPartnerFile() : std::string();
}

int CPlaybackController::SetCameraLayout(cameras::CameraLayout layout, bool mirror) {
    return player_.SetCameraLayout(cameras::layoutName(layout), mirror);
}

cameras::CameraLayout CPlaybackController::GetCameraLayout() const {
    return cameras::parseLayout(player_.GetCameraLayout()).value_or(cameras::CameraLayout::Inset);
}

// The engine is told each camera's channel, which places its tile; a name
// without one has no place in the car's picture.
void CPlaybackController::SetCameras(std::vector<std::string> paths) {
    std::vector<std::string> cameras;
    for (const std::string& path : paths) {
        const cameras::CameraChannel channel = cameras::CameraNaming::parse(path).channel;
        if (channel != cameras::CameraChannel::None)
            cameras.push_back(std::string(cameras::channelName(channel)) + ":" + path);
    }
    player_.SetCameraFiles(std::move(cameras));
}

std::vector<std::string> CPlaybackController::GetCameras() const {
    std::vector<std::string> paths;
    if (!player_.IsPartnerPlaying()) return paths;
    for (const std::string& camera : player_.GetCameraFiles()) paths.push_back(camera.substr(camera.find(':') + 1));
    return paths;
}

int CPlaybackController::SetLargeCamera(cameras::CameraChannel channel) {
    return player_.SetLargeCamera(cameras::channelName(channel));
}

cameras::CameraChannel CPlaybackController::GetLargeCamera() const {
    return cameras::channelOfName(player_.GetLargeCamera());
}

void CPlaybackController::StopPlayer() {
    player_.Stop();
    length_.store(0);
    position_.store(0);
}

int CPlaybackController::TogglePause() {
    return player_.TogglePause();
}

int CPlaybackController::SetMute(bool muted) {
    return player_.SetMute(muted);
}

int CPlaybackController::SetVolume(int32_t volume) {
    return player_.SetVolume(volume);
}

int CPlaybackController::Seek(int32_t seconds) {
    const int result = player_.Seek(seconds);
    if (result == 0) position_.store(std::clamp(seconds, 0, length_.load()));
    return result;
}

int CPlaybackController::TakeScreenshot() {
    return player_.TakeScreenshot();
}

void CPlaybackController::UpdateLength() {
    length_.store(wholeSeconds(player_.GetLength()));
}

int32_t CPlaybackController::UpdatePosition() {
    position_.store(player_.GetPosition());
    return position_.load();
}

void CPlaybackController::GetVideoSize(int32_t& width, int32_t& height) const {
    width = player_.GetVideoWidth();
    height = player_.GetVideoHeight();
}

std::string CPlaybackController::GetSnapshotPath() const {
    return player_.GetWorkDir() + player_.GetScreenshotName();
}

TrackRecord CPlaybackController::CurrentRecord() const {
    return telemetry_.ownsClip() ? telemetry_.liveRecord() : liveParser_.liveRecord();
}

int CPlaybackController::StartExtraction(std::string_view clipPath) {
    const std::string path(clipPath);
    if (!platform::isRegularFile(path)) return 1;
    std::lock_guard lock(extractorMutex_);
    const int32_t state = extractor_.getState();
    if (state == EXTRACT_STOPPING || state == EXTRACT_LAUNCHING) return 1;
    telemetry_.stop();
    extractor_.stop();
    store_.clear();
    extractor_.setInputPath(path);
    if (config_) telemetry_.setDisplayZone(config_->displayZone);
    // The probe runs on the telemetry worker; without one the converter takes the clip.
    // The partner given for the picture stands in for a clip without a track.
    if (!telemetry_.start(path, player_.GetPartnerFile())) return extractor_.start();
    return 0;
}

void CPlaybackController::StopExtraction() {
    std::lock_guard lock(extractorMutex_);
    telemetry_.stop();
    extractor_.stop();
}

bool CPlaybackController::IsExtractorStopPending() const {
    // The converter's stop stays pending until its next run's first batch;
    // a clip read from its own data has no such run.
    return !telemetry_.ownsClip() && extractor_.isStopPending();
}
