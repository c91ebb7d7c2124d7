#include "app/QuitSignals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<int> writeFd{-1};

void onSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    if (const int fd = writeFd.load(); fd >= 0 && ::write(fd, &byte, 1) < 0) {
        // Full: an earlier signal is already on its way.
    }
    errno = saved;
}

}  // namespace

QuitSignals::QuitSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) return;
    writeFd.store(fds_[0]);
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { onReadable(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    for (const int signal : kSignals) std::signal(signal, SIG_DFL);
    writeFd.store(-1);
    delete notifier_;
    for (int& fd : fds_)
        if (fd >= 0) ::close(fd);
}

void QuitSignals::onReadable() {
    char byte = 0;
    while (::read(fds_[1], &byte, 1) == 1)
        if (received_ == 0) received_ = static_cast<unsigned char>(byte);
    // Ends the main window's loop and any dialog's loop above it; every
    // loop started later returns at once.
    if (received_ != 0) QCoreApplication::exit(128 + received_);
}
