#include "veltara-track/ClipFileList.h"

#include "playlist/AcceptedExtensions.h"
#include "platform/AsciiCase.h"

#include <algorithm>
#include <climits>
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

std::string tooLong(const fs::path& path) {
    return path.string() + ": the path is too long (" + std::to_string(path.native().size()) +
           " bytes; the system takes " + std::to_string(PATH_MAX - 1) + ")";
}

// One folder's entries: clips into found, subfolders into pending (when
// recursive); whatever is passed over goes into the problems with its
// reason. Returns how many entries the folder has (that were seen).
size_t listFolder(const fs::path& folder, bool recursive, std::vector<std::string>& found,
                  std::vector<fs::path>& pending, ClipFileList& list) {
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    if (error) {
        list.problems.push_back(folder.string() + ": cannot be listed: " + error.message());
        return 0;
    }
    size_t entries = 0;
    for (; it != end; it.increment(error), ++entries) {
        if (error) {
            list.problems.push_back(folder.string() + ": cannot be listed: " + error.message());
            return entries;
        }
        const fs::path& path = it->path();
        if (path.native().size() >= PATH_MAX) {
            list.problems.push_back(tooLong(path));
            continue;
        }
        std::error_code statError;
        const fs::file_status link = it->symlink_status(statError);
        if (statError == std::errc::permission_denied) {
            // Listed but not entered (read without search permission): every entry fails alike.
            list.problems.push_back(folder.string() + ": cannot be entered: " + statError.message());
            return entries + 1;
        }
        if (statError) {
            list.problems.push_back(path.string() + ": cannot be looked at: " + statError.message());
            continue;
        }
        const bool media = mediaName(path.filename().string());
        if (fs::is_directory(link)) {
            if (recursive)
                pending.push_back(path);
            else if (media)
                list.problems.push_back(path.string() + ": is a folder, not a clip");
        } else if (media) {
            found.push_back(path.string());
        }
    }
    return entries;
}

// Folders waiting to be listed are kept as names, one open folder at a
// time: memory stays linear in the tree's depth and descriptors few.
// Returns how many entries the top folder has.
size_t walk(const fs::path& top, bool recursive, std::vector<std::string>& found, ClipFileList& list) {
    std::vector<fs::path> pending;
    const size_t entries = listFolder(top, recursive, found, pending, list);
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        listFolder(folder, recursive, found, pending, list);
    }
    return entries;
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
        const size_t problems = list.problems.size();
        if (walk(path, recursive, found, list) == 0 && problems == list.problems.size())
            list.problems.push_back(path + ": is an empty folder");
        std::sort(found.begin(), found.end());
        list.files.insert(list.files.end(), found.begin(), found.end());
    }
    return list;
}
