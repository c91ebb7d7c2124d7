#include "trackindex/ClipKey.h"

#include <sys/stat.h>
#include <climits>
#include <cstdlib>
#include <memory>

bool ClipKey::of(const std::string& path, ClipKey& key) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    struct stat st;
    if (!real || ::stat(real.get(), &st) != 0) return false;
    key.path = real.get();
    key.size = st.st_size;
    key.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return true;
}
