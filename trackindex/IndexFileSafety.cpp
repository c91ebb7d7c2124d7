#include "trackindex/IndexFileSafety.h"

#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr mode_t kOpenToOthers = S_IRWXG | S_IRWXO;
const char* const kCompanions[] = {"", "-wal", "-shm", "-journal"};

std::string realFolder(const std::string& folder) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr), &std::free);
    return real ? platform::withTrailingSlash(real.get()) : std::string();
}

// Ours, of the kind wanted, and closed to others (made so when it was not).
bool privateEntry(const std::string& path, bool folder, std::string& why) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT && !folder) return true;
        why = "cannot look at " + path + ": " + std::strerror(errno);
        return false;
    }
    if (folder ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode)) {
        why = path + (folder ? " is not a folder" : " is not a regular file");
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        why = path + " belongs to another user";
        return false;
    }
    if ((st.st_mode & kOpenToOthers) != 0 && ::chmod(path.c_str(), st.st_mode & 07700) != 0) {
        why = path + " is open to other users and cannot be made private: " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool prepareIndexFile(const std::string& path, std::string& realPath, std::string& why) {
    const std::string folder = platform::parentFolder(path);
    const std::string name = platform::fileName(path);
    if (name.empty()) {
        why = path + " is not a regular file";
        return false;
    }
    if (!platform::isDirectory(folder)) {
        const std::string grand = platform::parentFolder(folder.substr(0, folder.size() - 1));
        if (!grand.empty() && !platform::isDirectory(grand)) platform::makeDirectory(grand, 0700);
        platform::makeDirectory(folder, 0700);
    }
    const std::string real = realFolder(folder);
    if (real.empty()) {
        why = "cannot use the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    if (!privateEntry(real, true, why)) return false;
    realPath = real + name;
    for (const char* companion : kCompanions)
        if (!privateEntry(realPath + companion, false, why)) return false;
    // Made here so that SQLite, which gives its -wal and -shm the file's
    // mode, finds it private.
    const int fd = ::open(realPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = "cannot open " + realPath + ": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    return true;
}

std::string setAsideIndexFile(const std::string& realPath) {
    const std::string aside = realPath + ".damaged";
    for (const char* companion : kCompanions) {
        const std::string from = realPath + companion;
        if (::rename(from.c_str(), (aside + companion).c_str()) != 0 && errno != ENOENT && *companion == '\0')
            return {};
    }
    return aside;
}
