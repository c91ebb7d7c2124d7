#pragma once
// What the main window keeps between starts, in the settings file (section
// MPlayer): the volume the user set ("Volume", written a moment after the
// slider stops moving), the window's place and size ("WindowX", "WindowY",
// "WindowWidth", "WindowHeight", "WindowMaximized") and the folder of the
// last opened clip ("LastFolder", where the open dialog starts).
//
// Threads: UI thread only. Lifecycle: created by the main window once the
// settings are loaded; Restore before the window is shown, Save when it
// closes. A file that cannot be written keeps its content; nothing fails.
#include "config/ConfigStore.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <string>

class QAbstractSlider;
class QWidget;

class WindowSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kVolumeWriteDelayMs = 500;

    explicit WindowSession(const ConfigStore& store);
    ~WindowSession() override;

    // Places the window as it was left, when that place is on a screen now.
    void Restore(QWidget& window);
    // Writes what Save keeps, and the volume if a change is pending.
    void Save(const QWidget& window);
    // Writes the volume the user sets on this slider.
    void WatchVolume(QAbstractSlider* slider);

    std::string LastFolder() const { return lastFolder_; }
    // The clip a user opened (dialog, drop, command line); its folder is kept.
    void RememberClip(const std::string& path);

    // True when a rectangle of that place is enough on the screens to be grabbed.
    static bool IsOnScreen(const QRect& frame);

private:
    void writeVolume();

    const ConfigStore& store_;
    QPointer<QAbstractSlider> volume_;
    int subscription_ = 0;
    QTimer volumeTimer_;
    std::string lastFolder_;
};
