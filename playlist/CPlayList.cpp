#include "playlist/CPlayList.h"

#include "playlist/Utf16NameOrder.h"

#include <algorithm>
#include <climits>

int CPlayList::AddEntry(std::string path, std::string name) {
    if (entries_.size() >= static_cast<size_t>(INT_MAX)) return -1;
    if (paths_.count(path)) return -1;
    auto entry =
        std::make_unique<PlayListEntry>(PlayListEntry{std::move(path), std::move(name), ClipProblem::None, {}, {}});
    paths_.insert(entry->path);
    entries_.push_back(std::move(entry));
    return GetCount() - 1;
}

int CPlayList::FindByPath(std::string_view path) const {
    const auto found = paths_.find(path);
    if (found == paths_.end()) return -1;
    for (int i = 0; i < GetCount(); ++i) {
        if (entries_[static_cast<size_t>(i)]->path.data() == found->data()) return i;
    }
    return -1;
}

void CPlayList::SortByName() {
    std::sort(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
        const int byName = Utf16NameOrder::compare(a->name, b->name);
        return byName != 0 ? byName < 0 : a->path < b->path;
    });
}

bool CPlayList::Remove(int index) {
    if (entries_.empty()) return true;
    if (!inRange(index)) return false;
    if (index < current_ || (index == current_ && current_ == GetCount() - 1)) --current_;
    const auto at = entries_.begin() + index;
    paths_.erase((*at)->path);
    entries_.erase(at);
    return true;
}

void CPlayList::Clear() {
    paths_.clear();
    entries_.clear();
    current_ = -1;
}

void CPlayList::SetCurrent(int index) {
    current_ = inRange(index) ? index : -1;
}

bool CPlayList::GetPathAt(int index, std::string& path) const {
    if (!inRange(index)) return false;
    path = entries_[static_cast<size_t>(index)]->path;
    return true;
}

const PlayListEntry* CPlayList::GetEntryAt(int index) const {
    return inRange(index) ? entries_[static_cast<size_t>(index)].get() : nullptr;
}

bool CPlayList::SetRepairedFrom(int index, std::string original) {
    if (!inRange(index)) return false;
    entries_[static_cast<size_t>(index)]->repairedFrom = std::move(original);
    return true;
}

bool CPlayList::SetProblem(int index, ClipProblem problem) {
    if (!inRange(index)) return false;
    entries_[static_cast<size_t>(index)]->problem = problem;
    return true;
}

bool CPlayList::SetCameras(int index, std::vector<std::string> cameras) {
    if (!inRange(index)) return false;
    entries_[static_cast<size_t>(index)]->cameras = std::move(cameras);
    return true;
}
