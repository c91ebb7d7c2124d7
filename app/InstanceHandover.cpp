#include "app/InstanceHandover.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>
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
      server_(new QLocalServer(this)),
      receiver_(std::move(receiver)) {
    connect(server_, &QLocalServer::newConnection, this, &InstanceHandover::accept);
}

InstanceHandover::~InstanceHandover() {
    const bool listening = server_->isListening();
    server_->close();
    if (listening && isSocket(path_)) ::unlink(path_.constData());
}

bool InstanceHandover::Listen() {
    struct stat info {};
    if (::lstat(path_.constData(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) return false;
        ::unlink(path_.constData());
    }
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(QFile::decodeName(path_))) return false;
    ::chmod(path_.constData(), 0600);
    return true;
}

void InstanceHandover::accept() {
    while (QLocalSocket* client = server_->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        if (!fromOurUser(client)) {
            client->abort();
            continue;
        }
        connect(client, &QLocalSocket::readyRead, this, [this, client] { read(client); });
        if (client->bytesAvailable() > 0) read(client);
    }
}

bool InstanceHandover::fromOurUser(const QLocalSocket* client) {
    ucred peer{};
    socklen_t size = sizeof peer;
    const int fd = static_cast<int>(client->socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

void InstanceHandover::read(QLocalSocket* client) {
    QByteArray message = client->property("message").toByteArray() + client->readAll();
    if (message.size() > kMaxMessage) {
        client->abort();
        return;
    }
    QStringList paths;
    if (!Decode(message, paths)) {
        client->setProperty("message", message);
        return;
    }
    client->write("ok\n");
    client->flush();
    client->disconnectFromServer();
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
    bool taken = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                 writeAll(fd, message);
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
