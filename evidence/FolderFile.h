#pragma once
// Whole small files of an evidence folder, read and made through the
// folder's descriptor and never through a link (O_NOFOLLOW); a new file is
// never an existing one (O_EXCL). Also the user's own small files (a key, a
// certificate), read with a limit on their size.
//
// Threads: any; no state.
#include <cstddef>
#include <string>
#include <string_view>

namespace FolderFile {

inline constexpr size_t kSmallFileLimit = 64u << 20;  // SHA256SUMS of a long journey fits many times

// false with the reason when missing, not a regular file, larger than
// limit or unreadable; missing tells the first apart.
bool readAt(int folderFd, const std::string& name, std::string& bytes, std::string& reason, bool* missing = nullptr,
            size_t limit = kSmallFileLimit);
bool readPath(const std::string& path, std::string& bytes, std::string& reason, size_t limit = 1u << 20);
// A new file with the bytes; a part written is removed again on failure.
bool createAt(int folderFd, const std::string& name, std::string_view bytes, std::string& reason);

}  // namespace FolderFile
