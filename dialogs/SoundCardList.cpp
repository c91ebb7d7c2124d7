#include "dialogs/SoundCardList.h"

#include "platform/ChildProcess.h"

#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace {

using Clock = std::chrono::steady_clock;

std::string cleanLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string text;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        text.push_back(byte < 0x20 || byte == 0x7f ? ' ' : c);
    }
    if (text.size() > SoundCardList::kMaxDescriptionBytes) {
        size_t cut = SoundCardList::kMaxDescriptionBytes;
        // Never split a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    return text;
}

// Reads what is there; false once the pipe has ended or failed.
bool drain(int fd, std::string* into) {
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    if (n == 0) return false;
    if (into && into->size() < SoundCardList::kMaxOutputBytes) {
        into->append(buffer, std::min(static_cast<size_t>(n), SoundCardList::kMaxOutputBytes - into->size()));
    }
    return true;
}

}  // namespace

std::vector<std::string> SoundCardList::parse(std::string_view output, bool complete) {
    std::vector<std::string> devices;
    size_t start = 0;
    while (start < output.size() && devices.size() < kMaxDevices) {
        const size_t end = output.find('\n', start);
        if (end == std::string_view::npos) {
            if (complete) devices.push_back(cleanLine(output.substr(start)));
            break;
        }
        devices.push_back(cleanLine(output.substr(start, end - start)));
        start = end + 1;
    }
    return devices;
}

std::vector<std::string> SoundCardList::query(const std::string& programFolder, std::chrono::milliseconds limit) {
    platform::ChildProcess engine;
    if (engine.start({programFolder + "MPlayer/mplayer", "-list-audio-devices"}) != 0) return {};
    engine.closeStdin();
    const auto deadline = Clock::now() + limit;

    // The engine's log goes to standard error; it is read and dropped, so
    // that a full pipe never holds the engine up.
    std::string output;
    bool outOpen = true;
    bool errOpen = engine.stderrFd() >= 0;
    bool intime = true;
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            intime = false;
            break;
        }
        pollfd fds[2];
        nfds_t count = 0;
        if (outOpen) fds[count++] = {engine.stdoutFd(), POLLIN, 0};
        if (errOpen) fds[count++] = {engine.stderrFd(), POLLIN, 0};
        const int ready = ::poll(fds, count, static_cast<int>(std::min<long long>(left.count(), 100)));
        if (ready < 0 && errno != EINTR) break;
        for (nfds_t i = 0; ready > 0 && i < count; ++i) {
            if (fds[i].revents == 0) continue;
            const bool isOut = fds[i].fd == engine.stdoutFd();
            if (!drain(fds[i].fd, isOut ? &output : nullptr)) (isOut ? outOpen : errOpen) = false;
        }
    }
    if (intime) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        intime = engine.waitFor(std::max(left, std::chrono::milliseconds(0))).has_value();
    }
    if (!intime) engine.kill();
    // Output that reached its end is complete, even from an engine that then stalled.
    return parse(output, !outOpen);
}
