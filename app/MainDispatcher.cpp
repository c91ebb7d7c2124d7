#include "app/MainDispatcher.h"

#include "platform/TickCount.h"
#include "repair/CutClip.h"
#include "track/TrackEvents.h"

#include <filesystem>
#include <system_error>
#include <utility>

MainDispatcher::MainDispatcher(PlaybackControl& controller, CPlaylistController& playlist, TrackViews& trackViews,
                               MainView& view, const AppConfig& config, Clock clock)
    : controller_(controller),
      playlist_(playlist),
      trackViews_(trackViews),
      view_(view),
      config_(config),
      clock_(std::move(clock)) {}

void MainDispatcher::OnClick(const QString& name) {
    if (closed_) return;
    if (name == u"btnClear") {
        clearPlaylist();
    } else if (name == u"btnFull") {
        view_.EnterFullScreen();
    } else if (name == u"btnSmall") {
        view_.LeaveFullScreen();
    } else if (name == u"btnSShot") {
        controller_.TakeScreenshot();
    } else if (name == u"btnSetting") {
        view_.OpenSettings();
    } else if (name == u"btnVolume") {
        toggleMute(true);
    } else if (name == u"btnMute") {
        toggleMute(false);
    } else if (name == u"btnStop") {
        Stop();
    } else if (name == u"btnPrev") {
        step(false);
    } else if (name == u"btnNext") {
        step(true);
    } else if (name == u"btnPlay") {
        Play();
    } else if (name == u"btnPause") {
        Pause();
    } else if (name == u"btnOpenBig") {
        open();
    }
}

void MainDispatcher::OnItemActivate(int row) {
    if (closed_) return;
    if (tooSoon(kActivationDebounceMs)) return;
    playlist_.PlayActivatedNode(row);
    StartCurrentItem(false);
}

void MainDispatcher::OnVideoDoubleClick() {
    if (closed_) return;
    if (view_.IsFullScreen()) {
        view_.LeaveFullScreen();
    } else {
        view_.EnterFullScreen();
    }
}

void MainDispatcher::OnReturnKey() {
    if (closed_) return;
    view_.EnterFullScreen();
}

void MainDispatcher::OnEscapeKey() {
    if (closed_) return;
    view_.LeaveFullScreen();
}

void MainDispatcher::OnSnapshotKey() {
    if (closed_) return;
    controller_.TakeScreenshot();
}

void MainDispatcher::OnDropFiles(const std::vector<std::string>& paths) {
    if (closed_) return;
    // A drop that brings no clip leaves the playing one alone.
    if (!playlist_.AddDroppedFiles(paths)) return;
    StartCurrentItem(true);
}

void MainDispatcher::OnPlayerMessage(uintptr_t code) {
    if (closed_) return;
    switch (code) {
        case PLAYER_TIME:
            view_.UpdatePlayTime(controller_.UpdatePosition());
            break;
        case PLAYER_STARTED: {
            clipStarted_ = true;
            int32_t width = 0;
            int32_t height = 0;
            controller_.GetVideoSize(width, height);
            if (width <= 0 || height <= 0) markClip(ClipProblem::NoVideo);
            controller_.UpdateLength();
            view_.SetProgressValue(0);
            view_.SetProgressMax(controller_.GetLength());
            view_.StartPlayTime(controller_.GetLength());
            if (pendingSeek_ >= 0) SeekTo(std::exchange(pendingSeek_, -1));
            break;
        }
        case PLAYER_PIPE_ERROR:
        case PLAYER_QUIT:
            judgeEndedClip();
            // The player is gone on its own: Play, not Pause, is what can follow.
            resetViews();
            controller_.Store().clear();
            break;
        case PLAYER_EOF:
            judgeEndedClip();
            controller_.StopPlayer();
            resetViews();
            controller_.Store().clear();
            // The end of a clip moves on without the debounce of the Next button.
            if (playlist_.SelectNext()) Play();
            break;
        case PLAYER_ASPECT:
            view_.SetVideoAspect(controller_.GetAspect());
            break;
        case PLAYER_SCREENSHOT:
            showSnapshot();
            break;
        case PLAYER_PARTNER_FAILED:
            // The main clip plays on alone; the partner's row says why.
            view_.ShowLayoutButton(false);
            if (!partnerPath_.empty())
                playlist_.MarkProblem(playlist_.GetPlayList().FindByPath(partnerPath_), ClipProblem::Unplayable);
            break;
        case PLAYER_NO_SOUND:
            // The sound output, not the clip: no row is marked, and the user hears why once.
            if (!noSoundNoticed_) view_.ShowNoSoundNotice();
            noSoundNoticed_ = true;
            break;
        case PLAYER_NO_SUBTITLE:
            // No text at this moment (a gap between cues, the clip's last
            // moment, or no track at all): only the live position is gone.
            // The clip's track stays, and its extraction may still be running.
            trackViews_.LoseLivePosition();
            view_.ShowNoFix();
            break;
        default:
            break;
    }
}

void MainDispatcher::OnTrackMessage(uintptr_t code) {
    if (closed_ || code != TRACK_BATCH_READY || controller_.IsExtractorStopPending()) return;
    trackViews_.TakeNewPages(controller_.Store());
}

void MainDispatcher::OnRecordMessage(uintptr_t tag, intptr_t parsed) {
    if (closed_) return;
    // A text of an earlier player process: its clip is no longer shown.
    if (static_cast<uint32_t>(tag) != controller_.GetPlayerProcessId()) return;
    if (parsed == 1) {
        const TrackRecord record = controller_.CurrentRecord();
        // The car's channels are shown with or without a position.
        view_.ShowVehicle(record.valid ? record.vehicle : std::nullopt);
        if (hasPositionFix(record)) {
            view_.ShowRecord(record);
            trackViews_.ShowLiveRecord(record);
            return;
        }
    }
    // An unparsed live text, or one without a position, says nothing about
    // the clip's track: only the live position is gone.
    if (parsed != 1) view_.ShowVehicle(std::nullopt);
    trackViews_.LoseLivePosition();
    view_.ShowNoFix();
}

void MainDispatcher::OnPlaylistDeleted(int row) {
    if (closed_) return;
    if (!playlist_.OnDeleteItem(row)) return;
    const PlayerState state = controller_.GetPlayerState();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return;
    Stop();
    Play();
}

void MainDispatcher::Stop() {
    // Stopped by the user: the clip's end says nothing about the clip.
    clipPath_.clear();
    pendingSeek_ = -1;
    controller_.StopPlayer();
    controller_.StopExtraction();
    resetViews();
}

void MainDispatcher::resetViews() {
    view_.ResetPlayTime();
    view_.ShowPlayButton(true);
    view_.ShowNoFix();
    view_.ShowVehicle(std::nullopt);
    trackViews_.ResetTrack();
}

void MainDispatcher::judgeEndedClip() {
    if (clipStarted_ || clipPath_.empty()) return;
    std::error_code error;
    const bool empty = std::filesystem::file_size(clipPath_, error) == 0 && !error;
    const bool cut = !empty && CutClip::isCut(clipPath_);
    markClip(empty ? ClipProblem::Empty : cut ? ClipProblem::CutShort : ClipProblem::Unplayable);
    if (cut && onCutClip_) onCutClip_(clipPath_);
}

void MainDispatcher::markClip(ClipProblem problem) {
    if (clipPath_.empty()) return;
    playlist_.MarkProblem(playlist_.GetPlayList().FindByPath(clipPath_), problem);
}

void MainDispatcher::StartCurrentItem(bool resetMarker) {
    if (closed_) return;
    std::string path;
    if (!playlist_.GetCurrentPath(path)) return;
    StartClip(path, resetMarker);
}

void MainDispatcher::OnServicesStarted() {
    servicesReady_ = true;
    if (closed_ || heldClip_.empty()) return;
    StartClip(std::exchange(heldClip_, {}), heldResetMarker_);
}

void MainDispatcher::StartClip(const std::string& path, bool resetMarker) {
    if (closed_) return;
    if (!servicesReady_) {
        heldClip_ = path;
        heldResetMarker_ = heldResetMarker_ || resetMarker;
        view_.ShowPlayButton(false);
        return;
    }
    if (resetMarker) trackViews_.LoseLivePosition();
    trackViews_.StartTrack(path);
    view_.ShowPlayButton(false);
    view_.ResetPlayTime();
    clipPath_ = path;
    clipStarted_ = false;
    // The other camera of the moment joins the picture.
    // A car's moment with side cameras shows them all instead.
    const int index = playlist_.GetPlayList().FindByPath(path);
    std::vector<std::string> cameras = playlist_.CarCamerasOf(index);
    partnerPath_ = cameras.empty() ? playlist_.PartnerPathOf(index) : std::string();
    view_.ShowLayoutButton(!partnerPath_.empty() || !cameras.empty());
    controller_.SetPartner(partnerPath_);
    controller_.SetCameras(std::move(cameras));
    controller_.Play(path);
    controller_.StartExtraction(path);
}

void MainDispatcher::Play() {
    if (closed_) return;
    switch (controller_.GetPlayerState()) {
        case PlayerState::Paused:
            controller_.TogglePause();
            view_.ShowPlayButton(false);
            break;
        case PlayerState::Idle:
            StartCurrentItem(false);
            break;
        default:
            break;
    }
}

void MainDispatcher::PlayClipAt(const std::string& path, int32_t seconds) {
    if (closed_ || seconds < 0) return;
    const PlayerState state = controller_.GetPlayerState();
    const bool running =
        state == PlayerState::Starting || state == PlayerState::Playing || state == PlayerState::Paused;
    if (running && path == clipPath_) {
        // Still starting: a seek now would be lost.
        if (clipStarted_) {
            SeekTo(seconds);
        } else {
            pendingSeek_ = seconds;
        }
        return;
    }
    const int row = playlist_.GetPlayList().FindByPath(path);
    if (row < 0) return;
    playlist_.PlayActivatedNode(row);
    Stop();
    StartCurrentItem(false);
    pendingSeek_ = seconds;
}

void MainDispatcher::SeekTo(int32_t seconds) {
    // Not with the player's next time answer, half a second later.
    if (controller_.Seek(seconds) == 0) view_.UpdatePlayTime(controller_.GetPosition());
}

void MainDispatcher::Pause() {
    if (controller_.GetPlayerState() != PlayerState::Playing) return;
    controller_.TogglePause();
    view_.ShowPlayButton(true);
}

bool MainDispatcher::tooSoon(uint32_t limitMs) {
    const uint32_t now = clock_();
    if (lastActivation_ != 0 && platform::ticksBetween(lastActivation_, now) <= limitMs) return true;
    lastActivation_ = now;
    return false;
}

void MainDispatcher::clearPlaylist() {
    if (config_.cleanTip && !view_.ConfirmClear()) return;
    playlist_.ClearPlaylist();
    Stop();
}

void MainDispatcher::step(bool forward) {
    if (tooSoon(kStepDebounceMs)) return;
    const bool moved = forward ? playlist_.SelectNext() : playlist_.SelectPrevious();
    if (!moved) return;
    // Stop leaves the player idle, so Play starts the new current entry.
    Stop();
    Play();
}

void MainDispatcher::open() {
    const std::string chosen = view_.ChooseMediaFile();
    if (chosen.empty()) return;
    playlist_.AddChosenFile(chosen);
    StartCurrentItem(true);
}

void MainDispatcher::toggleMute(bool mute) {
    if (controller_.IsMuted() == mute) return;
    controller_.SetMute(mute);
    view_.ShowVolumeButton(!mute);
    // Muted, the slider shows 0; the stored volume stays for unmuting.
    view_.SetVolumeSliderValue(mute ? 0 : controller_.GetVolume());
}

void MainDispatcher::showSnapshot() {
    const std::string path = controller_.GetSnapshotPath();
    // Playing, the picture stands still while its window is open; a paused
    // picture stays paused afterwards.
    const bool wasPlaying = controller_.GetPlayerState() == PlayerState::Playing;
    if (wasPlaying) controller_.TogglePause();
    if (config_.snapshotPreview) {
        int32_t width = 0;
        int32_t height = 0;
        controller_.GetVideoSize(width, height);
        view_.ShowSnapshotPreview(path, width, height);
    } else {
        view_.ShowSnapshotPath(path);
    }
    // Resumes the playback the snapshot window paused.
    if (wasPlaying && !closed_ && controller_.GetPlayerState() == PlayerState::Paused) controller_.TogglePause();
}
