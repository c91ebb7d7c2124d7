#include "app/ControllerPlaybackControl.h"

int ControllerPlaybackControl::Play(std::string_view clipPath) {
    return controller_.Play(clipPath);
}
void ControllerPlaybackControl::StopPlayer() {
    controller_.StopPlayer();
}
int ControllerPlaybackControl::TogglePause() {
    return controller_.TogglePause();
}
int ControllerPlaybackControl::SetMute(bool muted) {
    return controller_.SetMute(muted);
}
bool ControllerPlaybackControl::IsMuted() const {
    return controller_.IsMuted();
}
int ControllerPlaybackControl::SetVolume(int32_t volume) {
    return controller_.SetVolume(volume);
}
int32_t ControllerPlaybackControl::GetVolume() const {
    return controller_.GetVolume();
}
int ControllerPlaybackControl::Seek(int32_t seconds) {
    return controller_.Seek(seconds);
}
int ControllerPlaybackControl::TakeScreenshot() {
    return controller_.TakeScreenshot();
}

PlayerState ControllerPlaybackControl::GetPlayerState() const {
    return controller_.GetPlayerState();
}
void ControllerPlaybackControl::UpdateLength() {
    controller_.UpdateLength();
}
int32_t ControllerPlaybackControl::GetLength() const {
    return controller_.GetLength();
}
int32_t ControllerPlaybackControl::UpdatePosition() {
    return controller_.UpdatePosition();
}
int32_t ControllerPlaybackControl::GetPosition() const {
    return controller_.GetPosition();
}
double ControllerPlaybackControl::GetAspect() const {
    return controller_.GetAspect();
}
void ControllerPlaybackControl::GetVideoSize(int32_t& width, int32_t& height) const {
    controller_.GetVideoSize(width, height);
}
uint32_t ControllerPlaybackControl::GetPlayerProcessId() const {
    return controller_.GetPlayerProcessId();
}
std::string ControllerPlaybackControl::GetSnapshotPath() const {
    return controller_.GetSnapshotPath();
}
TrackRecord ControllerPlaybackControl::CurrentRecord() const {
    return controller_.CurrentRecord();
}

int ControllerPlaybackControl::StartExtraction(std::string_view clipPath) {
    return controller_.StartExtraction(clipPath);
}
void ControllerPlaybackControl::StopExtraction() {
    controller_.StopExtraction();
}
bool ControllerPlaybackControl::IsExtractorStopPending() const {
    return controller_.IsExtractorStopPending();
}
TrackStore& ControllerPlaybackControl::Store() {
    return controller_.Store();
}
