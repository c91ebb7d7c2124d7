#include "platform/SeqPacketServer.h"

#include "platform/FileSystem.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

SeqPacketServer::Wait pollFor(int fd, std::chrono::milliseconds limit) {
    if (fd < 0) return SeqPacketServer::Wait::Failed;
    pollfd p{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, static_cast<int>(limit.count()));
    } while (r < 0 && errno == EINTR);
    if (r < 0) return SeqPacketServer::Wait::Failed;
    if (r == 0) return SeqPacketServer::Wait::TimedOut;
    // A hang-up or error is "ready" too: the next receive reports it.
    return (p.revents & POLLNVAL) ? SeqPacketServer::Wait::Failed : SeqPacketServer::Wait::Ready;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

SeqPacketServer::~SeqPacketServer() {
    close();
}

std::string SeqPacketServer::uniqueName(const std::string& prefix) {
    static std::atomic<unsigned> serial{0};
    return prefix + "." + std::to_string(::getpid()) + "." + std::to_string(serial.fetch_add(1) + 1);
}

void SeqPacketServer::removeStale(const std::string& folder, const std::string& prefix) {
    std::vector<DirectoryEntry> entries;
    if (folder.empty() || !listDirectory(folder, entries)) return;
    const std::string lead = prefix + ".";
    for (const auto& entry : entries) {
        if (entry.name.rfind(lead, 0) != 0) continue;
        const std::string rest = entry.name.substr(lead.size());
        const size_t dot = rest.find('.');
        const long pid = std::strtol(rest.substr(0, dot).c_str(), nullptr, 10);
        if (dot == std::string::npos || pid <= 0 || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = withTrailingSlash(folder) + entry.name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(path.c_str());
    }
}

int SeqPacketServer::listen(const std::string& path) {
    close();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return ENAMETOOLONG;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    // A file left by a run that never cleaned up would make bind fail.
    ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return errno;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 1) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return error;
    }
    listen_ = fd;
    path_ = path;
    return 0;
}

SeqPacketServer::Wait SeqPacketServer::accept(std::chrono::milliseconds limit) {
    if (client_ >= 0) return Wait::Ready;
    const Wait w = pollFor(listen_, limit);
    if (w != Wait::Ready) return w;
    int fd;
    do {
        fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        ucred peer{};
        socklen_t size = sizeof peer;
        if (peer_ > 0 && (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid != peer_)) {
            // Another local process got in first: it must not feed the track.
            ::close(fd);
            return Wait::TimedOut;
        }
        client_ = fd;
        return Wait::Ready;
    }
    // The client gave up between the poll and the accept: just wait on.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED) return Wait::TimedOut;
    return Wait::Failed;
}

SeqPacketServer::Wait SeqPacketServer::waitReadable(std::chrono::milliseconds limit) {
    return pollFor(client_, limit);
}

int SeqPacketServer::available() const {
    if (client_ < 0) return -1;
    int n = 0;
    if (::ioctl(client_, FIONREAD, &n) != 0) return -1;
    return n;
}

SeqPacketServer::Receive SeqPacketServer::receive(char* buffer, size_t size, size_t& length) {
    length = 0;
    if (client_ < 0 || buffer == nullptr || size == 0) return Receive::Failed;
    iovec part{buffer, size < kMaxMessage ? size : kMaxMessage};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    ssize_t n;
    do {
        n = ::recvmsg(client_, &message, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? Receive::Empty : Receive::Failed;
    if (n == 0) return Receive::Ended;
    if (message.msg_flags & MSG_TRUNC) return Receive::Failed;
    length = static_cast<size_t>(n);
    return Receive::Message;
}

void SeqPacketServer::close() {
    closeFd(client_);
    closeFd(listen_);
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
}

}  // namespace platform
