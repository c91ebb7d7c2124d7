#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into an orderly end of the program: the
// handler only writes the signal number into a socket pair; the UI thread
// reads it and ends every event loop, so the windows close and their
// destructors stop the player and the extraction (children reaped, socket
// files removed) as after a normal close.
//
// Threads: created, read and destroyed on the UI thread; the handler runs
// on whatever thread the signal hits and only writes one byte.
// Lifecycle: the constructor installs the handlers, the destructor puts the
// default handling back. One object per process.
#include <QObject>

class QSocketNotifier;

class QuitSignals : public QObject {
    Q_OBJECT
public:
    QuitSignals();
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // The signal that ended the program, or 0.
    int received() const { return received_; }

private:
    void onReadable();

    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    int received_ = 0;
};
