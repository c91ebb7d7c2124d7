#include "trackindex/ClipKey.h"

#include <sys/stat.h>
#include <climits>
#include <cstdlib>
#include <memory>

namespace {

int64_t nanoseconds(const struct timespec& t) {
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

bool ClipKey::of(const std::string& path, ClipKey& key) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    struct stat st;
    if (!real || ::stat(real.get(), &st) != 0) return false;
    key.path = real.get();
    key.size = st.st_size;
    key.mtimeNs = nanoseconds(st.st_mtim);
    key.device = static_cast<int64_t>(st.st_dev);
    key.inode = static_cast<int64_t>(st.st_ino);
    key.ctimeNs = nanoseconds(st.st_ctim);
    return true;
}
