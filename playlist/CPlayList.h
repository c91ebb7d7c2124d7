#pragma once
// The playlist: the files the user can play, in the order of the tree's rows,
// and the current entry (the one being played), -1 when there is none.
// No two entries have paths that are equal without regard to ASCII letter
// case; 0 <= current < count or current == -1.
//
// Threads: UI thread only. Lifecycle: starts empty with the view side and
// lives until the process ends; nothing of it is stored.
#include "platform/AsciiCase.h"
#include "playlist/PlayListEntry.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class CPlayList {
public:
    // Appends an entry and returns its index; -1 (and no change) when an
    // entry with the same path, letter case ignored, is already there.
    int AddEntry(std::string path, std::string name);
    // The first entry whose path equals path, letter case ignored, or -1.
    int FindByPath(std::string_view path) const;
    // Orders the entries by name in UTF-16 code unit order; equal names
    // (the same file name in different folders) by path, so the order is
    // the same every time. The current index is not carried along.
    void SortByName();
    // With no entries: true, nothing done. An index outside the list: false.
    // Otherwise the entry goes and the current entry stays current (one index
    // lower when the removed entry was above it); when the current entry
    // itself goes, its successor is current, or the new last entry when it
    // was the last.
    bool Remove(int index);
    void Clear();

    int GetCount() const { return static_cast<int>(entries_.size()); }
    int GetCurrent() const { return current_; }
    // An index outside the list makes the list have no current entry.
    void SetCurrent(int index);
    bool GetPathAt(int index, std::string& path) const;
    // False outside the list.
    bool SetCameras(int index, std::vector<std::string> cameras);
    // False outside the list.
    bool SetProblem(int index, ClipProblem problem);
    bool SetRepairedFrom(int index, std::string original);
    // nullptr for an index outside the list.
    const PlayListEntry* GetEntryAt(int index) const;

private:
    bool inRange(int index) const { return index >= 0 && index < GetCount(); }

    std::vector<std::unique_ptr<PlayListEntry>> entries_;
    int current_ = -1;
    // Every entry's path (a view of the entry's own text, which stays where
    // it is while the entry lives), so adding a folder of thousands of files
    // does not compare each new path with every entry.
    std::unordered_set<std::string_view, AsciiCaseHash, AsciiCaseEqual> paths_;
};
