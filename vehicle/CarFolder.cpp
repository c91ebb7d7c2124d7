#include "vehicle/CarFolder.h"

#include "cameras/CameraNaming.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <tuple>

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The folder names of a path, last first ("a/b/c/" and "a/b/c" give c, b, a).
std::vector<std::string> lastParts(std::string_view path, size_t count) {
    std::vector<std::string> parts;
    while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    while (!path.empty() && parts.size() < count) {
        const size_t slash = path.find_last_of('/');
        const std::string_view part = slash == std::string_view::npos ? path : path.substr(slash + 1);
        parts.push_back(lower(part));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
        while (!path.empty() && path.back() == '/') path.remove_suffix(1);
    }
    return parts;
}

std::optional<CarFolderGroup> eventGroup(const std::string& folderName) {
    if (folderName == "savedclips") return CarFolderGroup::Saved;
    if (folderName == "sentryclips") return CarFolderGroup::Sentry;
    return std::nullopt;
}

constexpr int64_t kMaxStartGap = 3;  // seconds between the cameras of one minute, as for other cameras' moments

struct Found {
    std::string path;
    CarFolderGroup group;
    std::string eventFolder;
    cameras::ClipName name;
};

void addClips(const std::string& folder, CarFolderGroup group, const std::string& eventFolder,
              std::vector<Found>& found) {
    std::vector<platform::DirectoryEntry> items;
    if (!platform::listDirectory(folder, items)) return;
    for (const platform::DirectoryEntry& item : items) {
        if (found.size() >= CarFolder::kMaxClips) return;
        if (item.isDirectory) continue;
        cameras::ClipName name = cameras::CameraNaming::parse(item.name);
        if (name.family != cameras::CameraFamily::Tesla || !name.startSeconds) continue;
        found.push_back({folder + item.name, group, eventFolder, std::move(name)});
    }
}

void addEventFolders(const std::string& folder, CarFolderGroup group, std::vector<Found>& found) {
    std::vector<platform::DirectoryEntry> items;
    if (!platform::listDirectory(folder, items)) return;
    for (const platform::DirectoryEntry& item : items) {
        if (!item.isDirectory) continue;
        const std::string eventFolder = folder + item.name + "/";
        addClips(eventFolder, group, eventFolder, found);
    }
}

}  // namespace

bool CarFolder::isCarFolder(std::string_view folder) {
    const std::vector<std::string> parts = lastParts(folder, 2);
    if (parts.empty()) return false;
    if (parts[0] == "teslacam" || parts[0] == "recentclips" || eventGroup(parts[0])) return true;
    return parts.size() == 2 && eventGroup(parts[1]).has_value();
}

std::optional<CarFolderGroup> CarFolder::groupOf(std::string_view clipPath) {
    const std::vector<std::string> parts = lastParts(clipPath, 3);
    if (parts.size() < 2) return std::nullopt;
    if (parts[1] == "recentclips") return CarFolderGroup::Recent;
    if (parts.size() == 3) return eventGroup(parts[2]);
    return std::nullopt;
}

std::string CarFolder::eventFolderOf(std::string_view clipPath) {
    const std::optional<CarFolderGroup> group = groupOf(clipPath);
    if (!group || *group == CarFolderGroup::Recent) return {};
    return platform::parentFolder(clipPath);
}

std::vector<CarMoment> CarFolder::list(const std::string& folderPath) {
    const std::string folder = platform::withTrailingSlash(folderPath);
    const std::vector<std::string> parts = lastParts(folder, 2);
    std::vector<Found> found;
    if (parts.empty()) return {};
    if (parts[0] == "teslacam") {
        std::vector<platform::DirectoryEntry> items;
        if (platform::listDirectory(folder, items)) {
            for (const platform::DirectoryEntry& item : items) {
                if (!item.isDirectory) continue;
                const std::string name = lower(item.name);
                if (name == "recentclips")
                    addClips(folder + item.name + "/", CarFolderGroup::Recent, "", found);
                else if (const auto group = eventGroup(name))
                    addEventFolders(folder + item.name + "/", *group, found);
            }
        }
    } else if (parts[0] == "recentclips") {
        addClips(folder, CarFolderGroup::Recent, "", found);
    } else if (const auto group = eventGroup(parts[0])) {
        addEventFolders(folder, *group, found);
    } else if (parts.size() == 2) {
        if (const auto parentGroup = eventGroup(parts[1])) addClips(folder, *parentGroup, folder, found);
    }

    // The cameras of one minute: one folder, starts at most kMaxStartGap
    // after the moment's first, each channel once (a name stem is not trusted).
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.group, a.eventFolder, *a.name.startSeconds, a.name.channel, a.path) <
               std::tie(b.group, b.eventFolder, *b.name.startSeconds, b.name.channel, b.path);
    });
    std::vector<CarMoment> moments;
    std::vector<std::vector<const Found*>> members;
    size_t open = 0;  // the first moment still open to later clips
    for (const Found& clip : found) {
        while (open < moments.size() &&
               (moments[open].group != clip.group || moments[open].eventFolder != clip.eventFolder ||
                *clip.name.startSeconds - moments[open].startSeconds > kMaxStartGap))
            ++open;
        size_t joined = open;
        while (joined < moments.size() &&
               std::any_of(members[joined].begin(), members[joined].end(),
                           [&](const Found* o) { return o->name.channel == clip.name.channel; }))
            ++joined;
        if (joined == moments.size()) {
            moments.push_back({clip.group, clip.eventFolder, {}, *clip.name.startSeconds});
            members.emplace_back();
        }
        members[joined].push_back(&clip);
    }
    for (size_t m = 0; m < moments.size(); ++m) {
        // The channels' order: front, back, then the sides (the enumeration's order).
        std::stable_sort(members[m].begin(), members[m].end(),
                         [](const Found* a, const Found* b) { return a->name.channel < b->name.channel; });
        for (const Found* clip : members[m]) moments[m].cameras.push_back(clip->path);
    }
    std::sort(moments.begin(), moments.end(), [](const CarMoment& a, const CarMoment& b) {
        return std::tie(a.group, a.eventFolder, a.startSeconds, a.cameras.front()) <
               std::tie(b.group, b.eventFolder, b.startSeconds, b.cameras.front());
    });
    return moments;
}

std::string_view CarFolder::groupName(CarFolderGroup group) {
    switch (group) {
        case CarFolderGroup::Recent:
            return "Recent";
        case CarFolderGroup::Saved:
            return "Saved";
        case CarFolderGroup::Sentry:
            return "Sentry";
    }
    return "Recent";
}
