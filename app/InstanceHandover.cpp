#include "app/InstanceHandover.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

bool isSocket(const QByteArray& path) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

InstanceHandover::InstanceHandover(const std::string& runtimeFolder, Receiver receiver)
    : path_(QByteArray::fromStdString(runtimeFolder + kSocketName)),
      receiver_(std::move(receiver)),
      idleTimer_(new QTimer(this)) {
    idleTimer_->setInterval(kIdleMs / 4);
    connect(idleTimer_, &QTimer::timeout, this, &InstanceHandover::dropIdle);
}

InstanceHandover::~InstanceHandover() {
    while (!clients_.empty()) drop(clients_.begin()->first);
    const bool listening = listener_ >= 0;
    closeListener();
    if (listening && isSocket(path_)) ::unlink(path_.constData());
    if (spare_ >= 0) ::close(spare_);
}

bool InstanceHandover::Listen() {
    struct stat info {};
    if (::lstat(path_.constData(), &info) == 0 && !S_ISSOCK(info.st_mode)) return false;
    if (spare_ < 0) spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    return listenSocket();
}

bool InstanceHandover::listenSocket() {
    closeListener();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path_.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path_.constData(), static_cast<size_t>(path_.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // Only the lock's holder listens: a socket file left by an earlier run goes.
    if (isSocket(path_)) ::unlink(path_.constData());
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 64) != 0) {
        ::close(fd);
        return false;
    }
    ::chmod(path_.constData(), 0600);
    listener_ = fd;
    listenNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(listenNotifier_, &QSocketNotifier::activated, this, &InstanceHandover::accept);
    return true;
}

void InstanceHandover::closeListener() {
    delete listenNotifier_;
    listenNotifier_ = nullptr;
    if (listener_ >= 0) ::close(listener_);
    listener_ = -1;
}

void InstanceHandover::accept() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO) continue;
            if ((errno == EMFILE || errno == ENFILE) && spare_ >= 0) {
                // Out of descriptors: the one kept in reserve takes the
                // waiting connection off the queue, so the next one gets in.
                ::close(spare_);
                const int taken = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (taken >= 0) ::close(taken);
                spare_ = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
                return;
            }
            // Anything else: a new socket rather than none.
            listenSocket();
            return;
        }
        if (!fromOurUser(fd)) {
            ::close(fd);
            continue;
        }
        if (clients_.size() >= kMaxClients) {
            auto idlest = clients_.begin();
            for (auto it = clients_.begin(); it != clients_.end(); ++it)
                if (it->second.lastData < idlest->second.lastData) idlest = it;
            drop(idlest->first);
        }
        Client& client = clients_[fd];
        client.lastData = std::chrono::steady_clock::now();
        client.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(client.notifier, &QSocketNotifier::activated, this, [this, fd] { read(fd); });
        if (!idleTimer_->isActive()) idleTimer_->start();
        read(fd);
    }
}

bool InstanceHandover::fromOurUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

qint64 InstanceHandover::heldBytes() const {
    qint64 held = 0;
    for (const auto& [fd, client] : clients_) held += client.message.size();
    return held;
}

void InstanceHandover::drop(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    delete it->second.notifier;
    ::close(fd);
    clients_.erase(it);
    if (clients_.empty()) idleTimer_->stop();
}

void InstanceHandover::dropIdle() {
    const auto limit = std::chrono::steady_clock::now() - std::chrono::milliseconds(kIdleMs);
    std::vector<int> idle;
    for (const auto& [fd, client] : clients_)
        if (client.lastData < limit) idle.push_back(fd);
    for (const int fd : idle) drop(fd);
}

void InstanceHandover::read(int fd) {
    const auto it = clients_.find(fd);
    if (it == clients_.end()) return;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        if (n <= 0) {
            drop(fd);
            return;
        }
        if (clients_.at(fd).message.size() + n > kMaxMessage) {
            drop(fd);
            return;
        }
        // Over the budget the others give way, idlest first: this one is sending.
        while (heldBytes() + n > kByteBudget) {
            int idlest = -1;
            for (const auto& [other, held] : clients_)
                if (other != fd && (idlest < 0 || held.lastData < clients_.at(idlest).lastData)) idlest = other;
            if (idlest < 0) break;
            drop(idlest);
        }
        Client& client = clients_.at(fd);
        client.message.append(buffer, static_cast<int>(n));
        client.lastData = std::chrono::steady_clock::now();
    }
    QStringList paths;
    if (!Decode(clients_.at(fd).message, paths)) return;
    ::send(fd, "ok\n", 3, MSG_NOSIGNAL | MSG_DONTWAIT);
    drop(fd);
    if (!paths.isEmpty() && receiver_) receiver_(paths);
}

bool InstanceHandover::Decode(const QByteArray& message, QStringList& paths) {
    // Complete once it ends in the empty path: "\0" alone, or "...\0\0".
    if (!message.endsWith('\0') || (message.size() > 1 && !message.endsWith(QByteArray(2, '\0')))) return false;
    paths.clear();
    for (const QByteArray& part : message.split('\0')) {
        if (part.isEmpty() || !part.startsWith('/')) continue;  // only absolute paths count
        if (paths.size() >= kMaxPaths) break;
        paths << QFile::decodeName(part);
    }
    return true;
}

bool InstanceHandover::Send(const std::string& runtimeFolder, const std::vector<std::string>& paths, int timeoutMs) {
    const std::string path = runtimeFolder + kSocketName;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    std::string message;
    for (const std::string& file : paths) {
        if (file.find('\0') == std::string::npos) message += file + '\0';
    }
    message += '\0';
    bool taken =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && writeAll(fd, message);
    if (taken) {
        // The answer, within the time limit: a running program that hangs must not hang us.
        std::string answer;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (answer.find('\n') == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            pollfd wait{fd, POLLIN, 0};
            if (left <= 0 || ::poll(&wait, 1, static_cast<int>(left)) <= 0) break;
            char buffer[16];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            answer.append(buffer, static_cast<size_t>(n));
        }
        taken = answer.rfind("ok\n", 0) == 0;
    }
    ::close(fd);
    return taken;
}
