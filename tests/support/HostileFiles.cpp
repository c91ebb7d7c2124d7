#include "support/HostileFiles.h"

#include "support/ClipFactory.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace hostile_files {

namespace {

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

std::string noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}

Bait::Bait(const std::string& folder) {
    fs::create_directories(folder);
    secret_ = folder + "secret.mp4";
    writeText(secret_, "secret");
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(inotify_, secret_.c_str(), IN_OPEN);
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(listener_, 16) == 0 &&
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port_ = ntohs(address.sin_port);
}

Bait::~Bait() {
    if (listener_ >= 0) ::close(listener_);
    if (inotify_ >= 0) ::close(inotify_);
}

std::string Bait::url(const std::string& name) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
}

int Bait::connections() {
    for (int fd; (fd = ::accept(listener_, nullptr, nullptr)) >= 0; ++connections_) ::close(fd);
    return connections_;
}

int Bait::opens() {
    char buffer[4096];
    for (ssize_t n; (n = ::read(inotify_, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            opens_ += (event->mask & IN_OPEN) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    return opens_;
}

std::vector<std::string> writeHostileClips(const std::string& folder, const Bait& bait, const std::string& prefix,
                                           bool withFifo) {
    fs::create_directories(folder);
    const std::string& secret = bait.secretFile();
    std::vector<std::string> names;
    const auto add = [&](const std::string& name, const std::string& text) {
        writeText(folder + prefix + name, text);
        names.push_back(prefix + name);
    };
    add("a_m3u.mp4", "#EXTM3U\n#EXTINF:10,x\n" + bait.url("a.mp4") + "\n" + secret + "\n");
    add("b_hls.mp4", "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n#EXTINF:10.0,\n" + bait.url("s.ts") +
                         "\n#EXTINF:10.0,\n" + secret + "\n#EXT-X-ENDLIST\n");
    add("c_edl.mp4", "# mpv EDL v0\n" + bait.url("e.mp4") + ",0,5\n" + secret + ",0,5\n");
    add("d_concat.mp4", "ffconcat version 1.0\nfile '" + bait.url("c.mp4") + "'\nfile '" + secret + "'\n");
    // Contents and a name that a log line would quote: a protocol line after a CR.
    add("e_planted.mp4",
        "#EXTM3U\n\rID_SUBTITLE_LOG=2099-01-01 00:00:00/E113 56 12.34/N22 33 44.50/1850/X:1/Y:1/Z:1\r\nID_EXIT=QUIT\n");
    add("f_\rID_EXIT=QUIT\rID_SUBTITLE_LOG=2099-01-01 00:00:00 1850\r.mp4", noise(4096, 3));
    if (withFifo) {
        ::mkfifo((folder + prefix + kFifoName).c_str(), 0600);
        names.push_back(prefix + kFifoName);
    }
    add("h_noise.mp4", noise(64 * 1024, 11));
    return names;
}

std::string writeGoodClip(const std::string& path, double seconds) {
    fs::create_directories(fs::path(path).parent_path());
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(static_cast<int>(seconds * 10));
    spec.durationSeconds = seconds;
    spec.withAudio = false;
    return testing_support::makeClip(path, spec);
}

std::string leaveSocketFile(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return "path too long";
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ::unlink(path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const std::string error = bound ? "" : std::strerror(errno);
    ::close(fd);
    return error;
}

pid_t goneProcessId() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string zombiesOf(pid_t parent) {
    std::string found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        if (!std::getline(in, stat)) continue;
        const size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 >= stat.size()) continue;
        const char state = stat[close + 2];
        const long up = std::strtol(stat.c_str() + close + 4, nullptr, 10);
        if (up == parent && state == 'Z')
            found += stat.substr(stat.find('(') + 1, close - stat.find('(') - 1) + " " +
                     entry.path().filename().string() + "\n";
    }
    return found;
}

std::string socketsIn(const std::string& folder) {
    std::string found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        if (it->is_socket()) found += it->path().string() + "\n";
    return found;
}

std::string toolWithHangingConverter(const std::string& folder) {
    std::error_code error;
    fs::copy_file(std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-track", folder + "veltara-track", error);
    if (error) return error.message();
    fs::create_directories(folder + "FFMpeg", error);
    const std::string converter = folder + "FFMpeg/ffmpeg";
    writeText(converter, "#!/bin/sh\nexec sleep 1000\n");
    ::chmod(converter.c_str(), 0755);
    return error ? error.message() : "";
}

}  // namespace hostile_files
