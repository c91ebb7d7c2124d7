#include "evidence/EncoderVersion.h"

#include <fcntl.h>
#include <unistd.h>
#include <string_view>
#include <vector>

std::string EncoderVersion::x264At(int dirFd, const std::string& name) {
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<char> bytes(kScanBytes);
    size_t have = 0;
    for (ssize_t n; have < bytes.size() && (n = ::read(fd, bytes.data() + have, bytes.size() - have)) > 0;)
        have += static_cast<size_t>(n);
    ::close(fd);
    const std::string_view text(bytes.data(), have);
    constexpr std::string_view kMark = "x264 - core ";
    const size_t at = text.find(kMark);
    if (at == std::string_view::npos) return {};
    // "core N rNNNN HASH" ends at " - "; only plain characters are kept.
    std::string version = "libx264 core ";
    for (size_t i = at + kMark.size(); i < text.size() && i < at + kMark.size() + 40; ++i) {
        const char c = text[i];
        if (text.substr(i, 3) == " - ") break;
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ' ' || c == '.' ||
              c == '+' || c == '-'))
            break;
        version += c;
    }
    return version;
}
