#include "app/WindowSession.h"

#include "ui/EventSource.h"
#include "ui/Notification.h"

#include <QAbstractSlider>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
// Enough of the title bar to grab the window with the mouse.
constexpr int kGrabWidth = 100;
constexpr int kGrabHeight = 40;
}  // namespace

WindowSession::WindowSession(const ConfigStore& store) : store_(store) {
    volumeTimer_.setSingleShot(true);
    volumeTimer_.setInterval(kVolumeWriteDelayMs);
    connect(&volumeTimer_, &QTimer::timeout, this, &WindowSession::writeVolume);
    lastFolder_ = store_.ReadConfigString("", "LastFolder");
}

WindowSession::~WindowSession() {
    if (volume_ && subscription_) ui::EventSource::of(volume_)->unsubscribe(subscription_);
}

bool WindowSession::IsOnScreen(const QRect& frame) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = screen->availableGeometry().intersected(frame);
        if (shared.width() >= kGrabWidth && shared.height() >= kGrabHeight) return true;
    }
    return false;
}

void WindowSession::Restore(QWidget& window) {
    const int width = store_.ReadConfigInt(0, "WindowWidth");
    const int height = store_.ReadConfigInt(0, "WindowHeight");
    if (width > 0 && height > 0) {
        const QRect frame(store_.ReadConfigInt(0, "WindowX"), store_.ReadConfigInt(0, "WindowY"), width, height);
        // A place left on a screen that is gone is forgotten: the window stays centred.
        if (IsOnScreen(frame)) window.setGeometry(frame);
    }
    if (store_.ReadConfigInt(0, "WindowMaximized") == 1) window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void WindowSession::Save(const QWidget& window) {
    if (volumeTimer_.isActive()) {
        volumeTimer_.stop();
        writeVolume();
    }
    // The normal place, also of a maximised or full-screen window.
    const QRect frame = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    if (frame.width() > 0 && frame.height() > 0) {
        store_.WriteConfigInt(frame.x(), "WindowX");
        store_.WriteConfigInt(frame.y(), "WindowY");
        store_.WriteConfigInt(frame.width(), "WindowWidth");
        store_.WriteConfigInt(frame.height(), "WindowHeight");
    }
    store_.WriteConfigInt(window.isMaximized() ? 1 : 0, "WindowMaximized");
    if (!lastFolder_.empty()) store_.WriteConfigString(lastFolder_, "LastFolder");
}

void WindowSession::WatchVolume(QAbstractSlider* slider) {
    if (!slider) return;
    volume_ = slider;
    // Only the user's moves notify; the muted slider's 0 is the program's.
    subscription_ = ui::EventSource::of(slider)->subscribe([this, slider](const ui::Notification& msg) {
        if (msg.type == QLatin1String(ui::UI_NOTIFY_VALUECHANGED) && msg.sender == slider) volumeTimer_.start();
        return true;
    });
}

void WindowSession::writeVolume() {
    if (volume_) store_.WriteConfigInt(volume_->value(), "Volume");
}

void WindowSession::RememberClip(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return;
    // Longer folders than a settings value holds are not kept.
    const std::string folder = path.substr(0, slash + 1);
    if (folder.size() <= ConfigStore::kMaxValueCharacters) lastFolder_ = folder;
}
