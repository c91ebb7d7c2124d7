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
    for (const Subfolder& sub : subfolders_) ::close(sub.fd);
    if (fd_ >= 0) ::close(fd_);
    if (base_ >= 0) ::close(base_);
}

bool EvidenceFolder::create(const std::string& base, const std::string& kind, std::time_t now, std::string& reason) {
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    return createNamed(base, std::string(stamp) + " " + kind, reason);
}

bool EvidenceFolder::createAt(const std::string& base, const std::string& kind, int64_t clockSeconds,
                              std::string& reason) {
    const std::time_t at = static_cast<std::time_t>(clockSeconds);
    std::tm clock{};
    char stamp[32];
    if (::gmtime_r(&at, &clock) == nullptr || std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &clock) == 0)
        return create(base, kind, std::time(nullptr), reason);
    return createNamed(base, std::string(stamp) + " " + kind, reason);
}

bool EvidenceFolder::createNamed(const std::string& base, const std::string& folder, std::string& reason) {
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
    reason = "too many exports of the same moment in " + base;
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

int EvidenceFolder::subfolder(const std::string& relative, std::string& reason) {
    int parent = fd_;
    std::string walked;
    size_t from = 0;
    while (from <= relative.size()) {
        size_t end = relative.find('/', from);
        if (end == std::string::npos) end = relative.size();
        const std::string name = relative.substr(from, end - from);
        from = end + 1;
        if (name.empty() || name == "." || name == "..") {
            reason = "no folder may be called \"" + relative + "\"";
            return -1;
        }
        walked += (walked.empty() ? "" : "/") + name;
        const auto known = std::find_if(subfolders_.begin(), subfolders_.end(),
                                        [&](const Subfolder& s) { return s.relative == walked; });
        if (known != subfolders_.end()) {
            parent = known->fd;
            continue;
        }
        if (::mkdirat(parent, name.c_str(), 0755) != 0) {
            reason = "cannot make the folder " + path_ + walked + ": " + std::strerror(errno);
            return -1;
        }
        const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            reason = "cannot open the folder " + path_ + walked + ": " + std::strerror(errno);
            ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
            return -1;
        }
        subfolders_.push_back({walked, parent, name, fd, {}});
        parent = fd;
    }
    return parent;
}

int EvidenceFolder::createFile(const std::string& relativeFolder, const std::string& name, std::string& reason) {
    int folder = fd_;
    Subfolder* sub = nullptr;
    if (!relativeFolder.empty()) {
        const auto known = std::find_if(subfolders_.begin(), subfolders_.end(),
                                        [&](const Subfolder& s) { return s.relative == relativeFolder; });
        if (known == subfolders_.end()) {
            reason = "no folder " + relativeFolder + " was made";
            return -1;
        }
        sub = &*known;
        folder = known->fd;
    }
    const std::string shown = path_ + (relativeFolder.empty() ? "" : relativeFolder + "/") + name;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        reason = "cannot make " + shown + ": not a file name";
        return -1;
    }
    const int file = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file < 0) {
        reason = "cannot make " + shown + ": " + std::strerror(errno);
        return -1;
    }
    if (sub != nullptr)
        sub->files.push_back(name);
    else
        adopt(name);
    return file;
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
    // Deepest first: each subfolder's files, then the subfolder where its
    // name in its parent still holds it.
    for (auto sub = subfolders_.rbegin(); sub != subfolders_.rend(); ++sub) {
        for (const std::string& name : sub->files) ::unlinkat(sub->fd, name.c_str(), 0);
        sub->files.clear();
        struct stat held, named;
        if (::fstat(sub->fd, &held) == 0 && ::fstatat(sub->parentFd, sub->name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino)
            ::unlinkat(sub->parentFd, sub->name.c_str(), AT_REMOVEDIR);
    }
    // Only the folder this export made: a link or another folder put in its
    // place stays. rmdir takes an empty folder only.
    struct stat held, named;
    if (::fstat(fd_, &held) == 0 && ::fstatat(base_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        ::unlinkat(base_, name_.c_str(), AT_REMOVEDIR);
}
