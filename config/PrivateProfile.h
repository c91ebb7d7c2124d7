#pragma once
// INI files with the semantics of the classic private-profile functions:
// section and key names compared without case, every read sees the file as
// it is now, every write changes one key and keeps every other line as it
// was, and a write replaces the file atomically, so a failed or interrupted
// write leaves the previous file whole. Files are UTF-8.
//
// Threads: any thread; writes are serialised within the process.
#include <optional>
#include <string>
#include <string_view>

class PrivateProfile {
public:
    // The value of the key, or nothing when the file, the section or the key
    // is absent. Blanks around the value and one pair of quotes are removed.
    static std::optional<std::string> read(const std::string& path, std::string_view section, std::string_view key);
    // Writes one key, creating the file, the section or the key as needed.
    // False when the file could not be replaced (it is then unchanged).
    static bool write(const std::string& path, std::string_view section, std::string_view key, std::string_view value);

    // The line edit behind write, on a file's text.
    static std::string withKey(std::string_view text, std::string_view section, std::string_view key,
                               std::string_view value);
};
