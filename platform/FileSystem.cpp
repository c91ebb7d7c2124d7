#include "platform/FileSystem.h"

#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <limits>
#include <memory>

namespace platform {

namespace {

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

bool writeAll(int fd, std::string_view text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool pathExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

double modificationSeconds(const std::string& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nan("");
    return static_cast<double>(st.st_mtim.tv_sec) + static_cast<double>(st.st_mtim.tv_nsec) / 1e9;
}

bool makeDirectory(const std::string& path, unsigned mode) {
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0) return true;
    return errno == EEXIST && isDirectory(path);
}

std::string parentFolder(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return "./";
    return std::string(path.substr(0, slash + 1));
}

std::string fileName(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string withTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

bool listDirectory(const std::string& folder, std::vector<DirectoryEntry>& entries) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return false;
    const std::string base = withTrailingSlash(folder);
    while (dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) directory = isDirectory(base + name);
        entries.push_back({name, directory});
    }
    return true;
}

bool readFile(const std::string& path, std::string& contents, size_t limit) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Fd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (f.fd < 0) return false;
    struct stat st;
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (st.st_size < 0 || static_cast<size_t>(st.st_size) > limit) return false;
    contents.clear();
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(f.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        // The file may have grown since the fstat.
        if (contents.size() + static_cast<size_t>(n) > limit) return false;
        contents.append(buffer, static_cast<size_t>(n));
    }
}

bool replaceFileAtomically(const std::string& path, std::string_view contents) {
    // A file the user may not write stays as it is, as an in-place write would.
    if (pathExists(path) && ::access(path.c_str(), W_OK) != 0) return false;
    std::string tmpl = parentFolder(path) + "." + fileName(path) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    Fd f(::mkostemp(name.data(), O_CLOEXEC));
    if (f.fd < 0) return false;
    const std::string tmpPath(name.data());
    struct stat st;
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    bool ok = ::fchmod(f.fd, mode) == 0 && writeAll(f.fd, contents) && ::fsync(f.fd) == 0;
    ok = (::close(f.fd) == 0) && ok;
    f.fd = -1;
    if (ok) ok = ::rename(tmpPath.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmpPath.c_str());
    return ok;
}

bool copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    std::string contents;
    if (!readFile(from, contents, std::numeric_limits<size_t>::max())) return false;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    Fd f(::open(to.c_str(), flags, 0644));
    if (f.fd < 0) return false;
    bool ok = writeAll(f.fd, contents);
    ok = (::close(f.fd) == 0) && ok;
    f.fd = -1;
    if (!ok) ::unlink(to.c_str());
    return ok;
}

}  // namespace platform
