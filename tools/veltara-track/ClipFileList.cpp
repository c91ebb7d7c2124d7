#include "veltara-track/ClipFileList.h"

#include "playlist/AcceptedExtensions.h"
#include "playlist/AsciiCase.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool mediaName(const std::string& name) {
    const std::string_view extension = AcceptedExtensions::ExtensionOf(name);
    if (extension.empty()) return false;
    return std::any_of(AcceptedExtensions::kMediaExtensions.begin(), AcceptedExtensions::kMediaExtensions.end(),
                       [&](std::string_view known) { return equalsIgnoringAsciiCase(known, extension); });
}

void walk(const fs::path& folder, bool recursive, std::vector<std::string>& found, ClipFileList& list) {
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    if (error) {
        list.problems.push_back(folder.string() + ": cannot be listed: " + error.message());
        return;
    }
    for (; it != end; it.increment(error)) {
        if (error) {
            list.problems.push_back(folder.string() + ": cannot be listed: " + error.message());
            return;
        }
        std::error_code statError;
        const fs::file_status link = it->symlink_status(statError);
        if (statError) continue;
        if (fs::is_directory(link)) {
            if (recursive) walk(it->path(), recursive, found, list);
        } else if (mediaName(it->path().filename().string())) {
            found.push_back(it->path().string());
        }
    }
}

}  // namespace

ClipFileList listClipFiles(const std::vector<std::string>& paths, bool recursive) {
    ClipFileList list;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!fs::is_directory(path, error)) {
            list.files.push_back(path);  // the reader says what is wrong with it
            continue;
        }
        std::vector<std::string> found;
        walk(path, recursive, found, list);
        std::sort(found.begin(), found.end());
        list.files.insert(list.files.end(), found.begin(), found.end());
    }
    return list;
}
