#include "app/ReviewKeys.h"

#include "cameras/CameraNaming.h"
#include "cameras/CarTiles.h"
#include "player/PlaybackSpeedSteps.h"
#include "trip/ClipSeconds.h"
#include "trip/EventNavigator.h"
#include "ui/CXMLWnd.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <algorithm>

namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

}  // namespace

const std::vector<ReviewKeys::Binding>& ReviewKeys::Table() {
    using A = Action;
    static const std::vector<Binding> table{
        {Qt::Key_Space, kNone, A::PlayPause, 0},
        {Qt::Key_Left, kNone, A::Seek, -kSeekSeconds},
        {Qt::Key_Right, kNone, A::Seek, kSeekSeconds},
        {Qt::Key_Left, Qt::ShiftModifier, A::Seek, -kShortSeekSeconds},
        {Qt::Key_Right, Qt::ShiftModifier, A::Seek, kShortSeekSeconds},
        {Qt::Key_Left, Qt::ControlModifier, A::Seek, -kLongSeekSeconds},
        {Qt::Key_Right, Qt::ControlModifier, A::Seek, kLongSeekSeconds},
        {Qt::Key_Up, kNone, A::Volume, kVolumeStep},
        {Qt::Key_Down, kNone, A::Volume, -kVolumeStep},
        {Qt::Key_M, kNone, A::Mute, 0},
        {Qt::Key_PageUp, kNone, A::PreviousClip, 0},
        {Qt::Key_PageDown, kNone, A::NextClip, 0},
        {Qt::Key_Home, kNone, A::ClipStart, 0},
        {Qt::Key_End, kNone, A::ClipEnd, 0},
        {Qt::Key_BracketLeft, kNone, A::Slower, 0},
        {Qt::Key_BracketRight, kNone, A::Faster, 0},
        {Qt::Key_Backspace, kNone, A::NormalSpeed, 0},
        {Qt::Key_Comma, kNone, A::FrameBack, 0},
        {Qt::Key_Period, kNone, A::FrameForward, 0},
        {Qt::Key_Question, kNone, A::ShowKeys, 0},
        {Qt::Key_N, kNone, A::NextEvent, 0},
        {Qt::Key_N, Qt::ShiftModifier, A::PreviousEvent, 0},
        {Qt::Key_V, kNone, A::NextLayout, 0},
        {Qt::Key_1, kNone, A::LargeCamera, 1},
        {Qt::Key_2, kNone, A::LargeCamera, 2},
        {Qt::Key_3, kNone, A::LargeCamera, 3},
        {Qt::Key_4, kNone, A::LargeCamera, 4},
        {Qt::Key_5, kNone, A::LargeCamera, 5},
        {Qt::Key_6, kNone, A::LargeCamera, 6},
    };
    return table;
}

const std::vector<dialogs::KeyHelpRow>& ReviewKeys::HelpRows() {
    static const std::vector<dialogs::KeyHelpRow> rows{
        {"Space", "IDS_KEY_PLAYPAUSE", "Play / pause"},
        {"Left / Right", "IDS_KEY_SEEK", "5 s back / forward"},
        {"Shift+Left / Shift+Right", "IDS_KEY_SEEK_SHORT", "1 s back / forward"},
        {"Ctrl+Left / Ctrl+Right", "IDS_KEY_SEEK_LONG", "30 s back / forward"},
        {"Up / Down", "IDS_KEY_VOLUME", "Volume up / down"},
        {"M", "IDS_KEY_MUTE", "Sound off / on"},
        {"PgUp / PgDn", "IDS_KEY_CLIP", "Previous / next clip"},
        {"Home / End", "IDS_KEY_CLIP_ENDS", "Start / end of the clip"},
        {"[ / ]", "IDS_KEY_SPEED", "Slower / faster (0.25× to 4×)"},
        {"Backspace", "IDS_KEY_SPEED_NORMAL", "Normal speed"},
        {", / .", "IDS_KEY_FRAME", "One frame back / forward (paused)"},
        {"Enter / Esc", "IDS_KEY_FULLSCREEN", "Full screen / leave full screen"},
        {"F8", "IDS_KEY_SNAPSHOT", "Snapshot"},
        {"N / Shift+N", "IDS_KEY_EVENT", "Next / previous event of the trip"},
        {"X", "IDS_KEY_EXPORT", "Export this moment as evidence"},
        {"Shift+X", "IDS_KEY_VERIFY", "Verify an evidence folder…"},
        {"V", "IDS_KEY_LAYOUT", "Cameras of the moment: inset, swapped, side by side, one; a car's: grid, strip, one"},
        {"1 … 6", "IDS_KEY_LARGE", "A car's camera large: front, back, left / right repeater, left / right pillar"},
        {"?", "IDS_KEY_HELP", "This list of keys"},
    };
    return rows;
}

const ReviewKeys::Binding* ReviewKeys::Find(int key, Qt::KeyboardModifiers modifiers) {
    modifiers &= ~Qt::KeypadModifier;
    const bool letterOrNavigation = (key >= Qt::Key_A && key <= Qt::Key_Z) || key >= Qt::Key_Escape;
    if (!letterOrNavigation) modifiers &= ~Qt::ShiftModifier;
    const auto& table = Table();
    const auto found = std::find_if(table.begin(), table.end(), [key, modifiers](const Binding& binding) {
        return binding.key == key && binding.modifiers == modifiers;
    });
    return found == table.end() ? nullptr : &*found;
}

QString ReviewKeys::SpeedText(double factor) {
    return QString::number(factor, 'g', 3) + QChar(0x00D7);
}

ReviewKeys::ReviewKeys(PlaybackControl& controller, MainDispatcher& dispatcher, ui::CXMLWnd& window,
                       const ConfigStore& store, const TripReview& trips)
    : controller_(controller),
      dispatcher_(dispatcher),
      window_(window),
      store_(store),
      trips_(trips),
      speedButton_(window.FindControl<QAbstractButton>(kSpeedButton)) {
    if (speedButton_) speedButton_->setText(SpeedText(controller_.GetSpeed()));
}

bool ReviewKeys::Press(int key, Qt::KeyboardModifiers modifiers) {
    const Binding* binding = Find(key, modifiers);
    if (!binding) return false;
    if (!dispatcher_.IsShutDown()) act(*binding);
    return true;
}

void ReviewKeys::OnClick(const QString& name) {
    if (dispatcher_.IsShutDown()) return;
    if (name == QLatin1String(kSpeedButton)) {
        setSpeed(PlaybackSpeedSteps::Cycle(controller_.GetSpeed()));
    } else if (name == QLatin1String(kLayoutButton)) {
        nextLayout();
    } else if (name == QLatin1String(kKeysButton)) {
        showKeys();
    }
}

void ReviewKeys::act(const Binding& binding) {
    using A = Action;
    switch (binding.action) {
        case A::PlayPause:
            playPause();
            break;
        case A::Seek:
            seekBy(binding.amount);
            break;
        case A::Volume:
            changeVolume(binding.amount);
            break;
        case A::Mute:
            // The buttons' own sequences: the volume button mutes, the mute button unmutes.
            dispatcher_.OnClick(controller_.IsMuted() ? QStringLiteral("btnMute") : QStringLiteral("btnVolume"));
            break;
        case A::PreviousClip:
            dispatcher_.OnClick(QStringLiteral("btnPrev"));
            break;
        case A::NextClip:
            dispatcher_.OnClick(QStringLiteral("btnNext"));
            break;
        case A::ClipStart:
            dispatcher_.SeekTo(0);
            break;
        case A::ClipEnd:
            // The last whole second: the very end would end the clip at once.
            dispatcher_.SeekTo(std::max(controller_.GetLength() - 1, 0));
            break;
        case A::Slower:
            setSpeed(PlaybackSpeedSteps::Slower(controller_.GetSpeed()));
            break;
        case A::Faster:
            setSpeed(PlaybackSpeedSteps::Faster(controller_.GetSpeed()));
            break;
        case A::NormalSpeed:
            setSpeed(PlaybackSpeedSteps::kNormal);
            break;
        case A::FrameBack:
            stepFrame(false);
            break;
        case A::FrameForward:
            stepFrame(true);
            break;
        case A::ShowKeys:
            showKeys();
            break;
        case A::NextEvent:
            jumpToEvent(true);
            break;
        case A::NextLayout:
            nextLayout();
            break;
        case A::PreviousEvent:
            jumpToEvent(false);
            break;
        case A::LargeCamera:
            largeCamera(binding.amount);
            break;
    }
}

void ReviewKeys::playPause() {
    if (controller_.GetPlayerState() == PlayerState::Playing) {
        dispatcher_.Pause();
    } else {
        dispatcher_.Play();
    }
}

void ReviewKeys::seekBy(int seconds) {
    const PlayerState state = controller_.GetPlayerState();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return;
    dispatcher_.SeekTo(std::clamp(controller_.GetPosition() + seconds, 0, controller_.GetLength()));
}

void ReviewKeys::changeVolume(int change) {
    const int32_t volume = std::clamp(controller_.GetVolume() + change, 0, 100);
    auto* slider = window_.FindControl<QAbstractSlider>("sliderVolume");
    if (controller_.IsMuted() || !slider) {
        // Muted, the slider shows 0 until the sound is on again; the volume waits.
        controller_.SetVolume(volume);
        return;
    }
    // Moved as the user moves it, so the volume is set and kept in the settings.
    slider->setSliderPosition(volume);
}

void ReviewKeys::setSpeed(double factor) {
    if (controller_.SetSpeed(factor) != 0) return;
    if (speedButton_) speedButton_->setText(SpeedText(controller_.GetSpeed()));
}

void ReviewKeys::stepFrame(bool forward) {
    // A step shows one picture: playing, the picture stops first.
    if (controller_.GetPlayerState() == PlayerState::Playing) dispatcher_.Pause();
    controller_.StepFrame(forward);
}

void ReviewKeys::jumpToEvent(bool forward) {
    size_t clip = 0;
    const TripRoute* trip = trips_.Trips() ? trips_.Trips()->tripOf(trips_.CurrentClip(), &clip) : nullptr;
    EventJump jump;
    if (!trip || !stepEvent(*trip, clip, int64_t{controller_.GetPosition()} * 1000, forward, jump)) return;
    const TripEvent& event = trip->events[jump.event];
    dispatcher_.PlayClipAt(trip->clipPaths[event.clip], clipSecondOfMs(jump.startMs));
    // A paused clip plays on from there, as another clip of the trip would start.
    if (controller_.GetPlayerState() == PlayerState::Paused) dispatcher_.Play();
}

void ReviewKeys::showKeys() {
    if (keyHelp_) {
        keyHelp_->raise();
        return;
    }
    keyHelp_ = dialogs::ShowKeyHelp(&window_, store_, HelpRows());
}

void ReviewKeys::largeCamera(int number) {
    if (const cameras::CameraChannel channel = cameras::carCameraNumbered(number);
        channel != cameras::CameraChannel::None)
        makeLarge(channel);
}

void ReviewKeys::OnVideoClick(double x, double y) {
    if (dispatcher_.IsShutDown()) return;
    bool six = false;
    for (const std::string& path : controller_.GetCameras()) {
        const cameras::CameraChannel channel = cameras::CameraNaming::parse(path).channel;
        six = six || channel == cameras::CameraChannel::LeftPillar || channel == cameras::CameraChannel::RightPillar;
    }
    makeLarge(cameras::carTileAt(controller_.GetCameraLayout(), six, controller_.GetLargeCamera(), x, y));
}

void ReviewKeys::makeLarge(cameras::CameraChannel channel) {
    if (channel == cameras::CameraChannel::None || controller_.GetCameras().empty()) return;
    controller_.SetLargeCamera(channel);
    store_.WriteConfigString(cameras::channelName(channel), ConfigStore::kLargeCameraKey);
    if (cameras::layoutForMany(controller_.GetCameraLayout()) != cameras::CameraLayout::Grid) return;
    controller_.SetCameraLayout(cameras::CameraLayout::Strip, controller_.IsPartnerMirrored());
    store_.WriteConfigString(cameras::layoutName(cameras::CameraLayout::Strip), ConfigStore::kCameraLayoutKey);
}

void ReviewKeys::nextLayout() {
    const cameras::CameraLayout next =
        cameras::nextLayout(controller_.GetCameraLayout(), !controller_.GetCameras().empty());
    controller_.SetCameraLayout(next, controller_.IsPartnerMirrored());
    store_.WriteConfigString(cameras::layoutName(next), ConfigStore::kCameraLayoutKey);
}
