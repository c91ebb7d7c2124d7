#include "evidence/EvidenceFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

EvidenceFolder::~EvidenceFolder() {
    if (fd_ >= 0) ::close(fd_);
    if (base_ >= 0) ::close(base_);
}

bool EvidenceFolder::create(const std::string& base, const std::string& kind, std::time_t now, std::string& reason) {
    std::error_code error;
    std::filesystem::create_directories(base, error);
    if (error) {
        reason = "cannot make the folder " + base + ": " + error.message();
        return false;
    }
    base_ = ::open(base.empty() ? "." : base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base_ < 0) {
        reason = "cannot open the folder " + base + ": " + std::strerror(errno);
        return false;
    }
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    const std::string folder = std::string(stamp) + " " + kind;
    const std::string prefix = base + (base.empty() || base.back() == '/' ? "" : "/");
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? folder : folder + " (" + std::to_string(n) + ")";
        // mkdirat fails on anything that exists, a link included: nothing is overwritten.
        if (::mkdirat(base_, candidate.c_str(), 0755) == 0) {
            fd_ = ::openat(base_, candidate.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd_ < 0) {
                reason = "cannot open the folder " + prefix + candidate + ": " + std::strerror(errno);
                return false;
            }
            name_ = candidate;
            path_ = prefix + candidate + "/";
            return true;
        }
        if (errno != EEXIST) {
            reason = "cannot make the folder " + prefix + candidate + ": " + std::strerror(errno);
            return false;
        }
    }
    reason = "too many exports of the same second in " + base;
    return false;
}

namespace {

bool writeAll(int file, std::string_view text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(file, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool closed = ::close(file) == 0;
    return done == text.size() && closed;
}

}  // namespace

bool EvidenceFolder::write(const std::string& name, std::string_view text, std::string& reason) {
    const int file = ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        reason = "cannot make " + path_ + name + ": " + std::strerror(errno);
        return false;
    }
    adopt(name);
    if (!writeAll(file, text)) {
        reason = "cannot write " + path_ + name + " (is the disk full?)";
        return false;
    }
    return true;
}

bool EvidenceFolder::append(const std::string& name, std::string_view text, std::string& reason) {
    const int file = std::find(made_.begin(), made_.end(), name) == made_.end()
                         ? -1
                         : ::openat(fd_, name.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0 || !writeAll(file, text)) {
        reason = "cannot write " + path_ + name + " (is the disk full?)";
        return false;
    }
    return true;
}

void EvidenceFolder::adopt(const std::string& name) {
    if (std::find(made_.begin(), made_.end(), name) == made_.end()) made_.push_back(name);
}

bool EvidenceFolder::inPlace() const {
    struct stat held, named;
    return fd_ >= 0 && ::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

void EvidenceFolder::remove() {
    if (fd_ < 0) return;
    for (const std::string& name : made_) ::unlinkat(fd_, name.c_str(), 0);  // a link is removed, never followed
    made_.clear();
    // Only the folder this export made: a link or another folder put in its
    // place stays. rmdir takes an empty folder only.
    struct stat held, named;
    if (::fstat(fd_, &held) == 0 && ::fstatat(base_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        ::unlinkat(base_, name_.c_str(), AT_REMOVEDIR);
}
