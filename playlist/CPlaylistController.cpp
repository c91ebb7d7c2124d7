#include "playlist/CPlaylistController.h"

#include "cameras/CameraNaming.h"
#include "platform/FileSystem.h"
#include "cameras/ClipPartners.h"
#include "playlist/DroppedFileChoice.h"
#include "playlist/MediaPath.h"
#include "playlist/PlaylistTree.h"
#include "track/CameraTime.h"
#include "vehicle/CarFolder.h"

#include <algorithm>

void CPlaylistController::LoadAcceptedExtensions(const ConfigStore& store) {
    extensions_.Load(store);
}

void CPlaylistController::AddFolderOfFile(std::string folder, const std::string& name) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    if (CarFolder::isCarFolder(folder) && addCarMoments(folder, folder + name) != -2) return;
    std::vector<platform::DirectoryEntry> items;
    if (!platform::listDirectory(folder.empty() ? std::string(".") : folder, items)) return;

    const int before = list_.GetCount();
    addMediaFiles(folder, items);
    addSiblingChannelFolders(folder);
    if (list_.GetCount() > before) {
        list_.SortByName();
        rebuildRows();
    }

    const int index = list_.FindByPath(folder + name);
    const int old = list_.GetCurrent();
    list_.SetCurrent(index);
    if (!tree_) return;
    tree_->SelectItem(index, true);
    tree_->SetPlayingNode(old, false);
    tree_->SetPlayingNode(index, true);
}

bool CPlaylistController::AddCarFolder(const std::string& folder) {
    return addCarMoments(platform::withTrailingSlash(folder), std::string()) != -2;
}

int CPlaylistController::addCarMoments(const std::string& folder, const std::string& clip) {
    std::vector<CarMoment> moments = CarFolder::list(folder);
    if (moments.empty()) return -2;
    std::string chosen = moments.front().cameras.front();
    bool added = false;
    for (CarMoment& moment : moments) {
        if (!clip.empty() && std::find(moment.cameras.begin(), moment.cameras.end(), clip) != moment.cameras.end())
            chosen = moment.cameras.front();
        // "Saved  2026-12-07 09:59:00  (6 cameras)": the group first, so the groups sort apart.
        std::string label = std::string(CarFolder::groupName(moment.group)) + "  " +
                            formatSeconds(moment.startSeconds, false) + "  (" + std::to_string(moment.cameras.size()) +
                            (moment.cameras.size() == 1 ? " camera)" : " cameras)");
        const int index = list_.AddEntry(moment.cameras.front(), std::move(label));
        if (index < 0) continue;
        list_.SetCameras(index, std::move(moment.cameras));
        added = true;
    }
    if (added) {
        list_.SortByName();
        rebuildRows();
    }
    const int index = list_.FindByPath(chosen);
    moveCurrentTo(index);
    return index;
}

void CPlaylistController::addMediaFiles(const std::string& folder, std::vector<platform::DirectoryEntry>& items) {
    for (platform::DirectoryEntry& item : items) {
        if (item.isDirectory || !extensions_.IsMediaFileName(item.name)) continue;
        std::string path = folder + item.name;
        list_.AddEntry(std::move(path), std::move(item.name));  // a file already listed is skipped
    }
}

void CPlaylistController::addSiblingChannelFolders(const std::string& folder) {
    // A camera that keeps each channel in a folder of its own ("Front/",
    // "Back/"): the other channels' clips are the partners of this folder's.
    if (folder.size() < 2) return;
    const size_t slash = folder.find_last_of('/', folder.size() - 2);
    const std::string parent = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    const std::string own = folder.substr(parent.size(), folder.size() - 1 - parent.size());
    if (cameras::channelOfFolder(own) == cameras::CameraChannel::None) return;
    std::vector<platform::DirectoryEntry> siblings;
    if (!platform::listDirectory(parent.empty() ? std::string(".") : parent, siblings)) return;
    for (const platform::DirectoryEntry& sibling : siblings) {
        if (!sibling.isDirectory || sibling.name == own ||
            cameras::channelOfFolder(sibling.name) == cameras::CameraChannel::None)
            continue;
        const std::string path = parent + sibling.name + "/";
        std::vector<platform::DirectoryEntry> items;
        if (platform::listDirectory(path, items)) addMediaFiles(path, items);
    }
}

void CPlaylistController::AddChosenFile(const std::string& path) {
    MediaPath split = MediaPath::Split(path);
    AddFolderOfFile(std::move(split.folder), split.name);
}

bool CPlaylistController::AddDroppedFiles(const std::vector<std::string>& paths) {
    const auto chosen = DroppedFileChoice::Choose(paths, extensions_);
    if (!chosen) {
        // A car's camera folder, dropped or named on the command line.
        for (auto it = paths.rbegin(); it != paths.rend(); ++it)
            if (CarFolder::isCarFolder(*it) && platform::isDirectory(*it) && AddCarFolder(*it)) return true;
        return false;
    }
    AddChosenFile(*chosen);
    return true;
}

void CPlaylistController::PlayActivatedNode(int index) {
    if (index < 0 || index >= list_.GetCount()) return;
    const int old = list_.GetCurrent();
    list_.SetCurrent(index);
    if (!tree_) return;
    tree_->SetPlayingNode(old, false);
    tree_->SetPlayingNode(index, true);
}

bool CPlaylistController::OnDeleteItem(int index) {
    const int old = list_.GetCurrent();
    // A click whose row is gone (deleted twice, list cleared meanwhile)
    // must not take another row with it.
    if (index < 0 || index >= list_.GetCount()) return false;
    if (tree_) tree_->RemoveAt(index);
    list_.Remove(index);
    matchPartners();
    if (index != old) return false;  // the current file stays current (Remove moved its index)

    const int next = old == list_.GetCount() ? old - 1 : old;
    if (next != -1) {
        list_.SetCurrent(next);
        if (tree_) tree_->SetPlayingNode(next, true);
    }
    return true;
}

bool CPlaylistController::SelectPrevious() {
    const int current = list_.GetCurrent();
    int target = current - 1;
    if (target >= 0 && target == PartnerOf(current)) --target;
    if (current < 0 || target < 0) return false;
    moveCurrentTo(momentStart(target, current));
    return true;
}

bool CPlaylistController::SelectNext() {
    const int current = list_.GetCurrent();
    if (current < 0) return false;
    int target = current + 1;
    // Rows of moments already reached: the current one's partner, or a row whose partner is above it.
    while (target < list_.GetCount() && (target == PartnerOf(current) || (PartnerOf(target) >= 0 && PartnerOf(target) < target)))
        ++target;
    if (target >= list_.GetCount()) return false;
    moveCurrentTo(target);
    return true;
}

int CPlaylistController::momentStart(int index, int except) const {
    const int partner = PartnerOf(index);
    return partner >= 0 && partner < index && partner != except ? partner : index;
}

int CPlaylistController::PartnerOf(int index) const {
    return index >= 0 && static_cast<size_t>(index) < partners_.size() ? partners_[static_cast<size_t>(index)] : -1;
}

std::string CPlaylistController::PartnerPathOf(int index) const {
    std::string path;
    if (list_.GetPathAt(PartnerOf(index), path)) return path;
    // A car's moment plays its front with its back.
    if (const PlayListEntry* entry = list_.GetEntryAt(index))
        for (const std::string& camera : entry->cameras)
            if (camera != entry->path && cameras::CameraNaming::parse(camera).channel == cameras::CameraChannel::Rear)
                return camera;
    return {};
}

std::vector<std::string> CPlaylistController::CarCamerasOf(int index) const {
    const PlayListEntry* entry = list_.GetEntryAt(index);
    if (!entry) return {};
    for (const std::string& camera : entry->cameras) {
        const cameras::CameraChannel channel = cameras::CameraNaming::parse(camera).channel;
        if (channel != cameras::CameraChannel::Front && channel != cameras::CameraChannel::Rear) return entry->cameras;
    }
    return {};
}

void CPlaylistController::matchPartners() {
    std::vector<partners::ClipStamp> stamps;
    stamps.reserve(static_cast<size_t>(list_.GetCount()));
    for (int i = 0; i < list_.GetCount(); ++i) {
        const std::string& path = list_.GetEntryAt(i)->path;
        // Only names with a channel but no time of their own are worth a look at the file.
        double seconds = 0;
        const cameras::ClipName name = cameras::CameraNaming::parse(path);
        if (name.channel != cameras::CameraChannel::None && !name.startSeconds)
            seconds = platform::modificationSeconds(path);
        stamps.push_back({path, seconds});
    }
    const auto matched = partners::matchPartners(stamps);
    partners_.assign(matched.size(), -1);
    for (size_t i = 0; i < matched.size(); ++i)
        if (matched[i]) partners_[i] = static_cast<int>(*matched[i]);
    if (!tree_) return;
    for (int i = 0; i < list_.GetCount(); ++i) {
        const int partner = PartnerOf(i);
        tree_->ShowPartner(i, partner >= 0 && partner < i ? partner : -1);
    }
}

void CPlaylistController::ClearPlaylist() {
    list_.Clear();
    partners_.clear();
    if (tree_) tree_->RemoveAll();
}

bool CPlaylistController::GetCurrentPath(std::string& path) const {
    return list_.GetPathAt(list_.GetCurrent(), path);
}

void CPlaylistController::MarkProblem(int index, ClipProblem problem) {
    if (!list_.SetProblem(index, problem)) return;
    if (tree_) tree_->ShowProblem(index, problem);
}

void CPlaylistController::rebuildRows() {
    if (!tree_) {
        matchPartners();
        return;
    }
    std::vector<std::string_view> names;
    names.reserve(static_cast<size_t>(list_.GetCount()));
    for (int i = 0; i < list_.GetCount(); ++i) names.emplace_back(list_.GetEntryAt(i)->name);
    tree_->RemoveAll();
    tree_->AddNodes(names);
    for (int i = 0; i < list_.GetCount(); ++i) {
        if (const ClipProblem problem = list_.GetEntryAt(i)->problem; problem != ClipProblem::None)
            tree_->ShowProblem(i, problem);
    }
    matchPartners();
}

void CPlaylistController::moveCurrentTo(int index) {
    const int old = list_.GetCurrent();
    if (tree_) tree_->SetPlayingNode(old, false);
    list_.SetCurrent(index);
    if (!tree_) return;
    tree_->SelectItem(index, true);
    tree_->SetPlayingNode(index, true);
}
