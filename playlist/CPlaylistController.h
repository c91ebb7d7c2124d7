#pragma once
// The playlist operations of the main window's view side: the list model,
// the accepted media extensions and the tree that shows the list, kept in
// step. Clips come in a folder at a time: opening or dropping a file adds
// every media file of its folder, sorts the list by name and makes that file
// the current, playing entry. Paths are UTF-8 and folders end in "/".
//
// Threads: UI thread only. Lifecycle: created with the view side, given its
// tree when the window's controls are bound (it works without one: the list
// is then kept without rows) and its extensions by LoadAcceptedExtensions;
// lives as long as the view side. The tree must outlive it or be unset.
#include "playlist/AcceptedExtensions.h"
#include "playlist/CPlayList.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class ConfigStore;
namespace platform {
struct DirectoryEntry;
}
class PlaylistTree;

class CPlaylistController {
public:
    explicit CPlaylistController(PlaylistTree* tree = nullptr) : tree_(tree) {}

    void SetTree(PlaylistTree* tree) { tree_ = tree; }

    // Builds the accepted-extension list from "Associate" (written back as
    // "MP4" when empty or missing). Once, when the view is set up.
    void LoadAcceptedExtensions(const ConfigStore& store);
    bool IsAcceptedExtension(std::string_view extension) const { return extensions_.IsAccepted(extension); }
    const AcceptedExtensions& GetAcceptedExtensions() const { return extensions_; }
    void SetAcceptedExtensions(AcceptedExtensions extensions) { extensions_ = std::move(extensions); }

    // Adds the media files of folder (no sub-folders) and makes folder + name
    // current; when that file is not in the list afterwards there is no
    // current entry. The rows are rebuilt only when files were added. A
    // folder that cannot be listed changes nothing at all. A folder named
    // after a camera's channel ("Front/") brings its sibling channel folders'
    // ("Back/") files too: they hold its clips' partners.
    // A car's camera folder (vehicle/CarFolder) lists its moments instead.
    void AddFolderOfFile(std::string folder, const std::string& name);
    // The moments of a car's camera folder or any folder below it: one row
    // per minute with all its cameras, labelled by group (recent, saved,
    // sentry) and start, so the groups sort apart; the first new moment
    // becomes current. False (and no change) when it holds none.
    bool AddCarFolder(const std::string& folder);
    // The file chosen in the open dialog (a full path).
    void AddChosenFile(const std::string& path);
    // The dropped paths in drop order; see DroppedFileChoice. A drop without
    // a media file changes nothing, unless it holds a car's camera folder.
    // True when the drop chose a file or moment to open.
    bool AddDroppedFiles(const std::vector<std::string>& paths);

    // The activated row becomes the current, playing entry; an index outside
    // the list does nothing.
    void PlayActivatedNode(int index);
    // The delete button of row `index` was clicked (the tree tells which row
    // its message is about; -1 when that row is gone). True when the deleted
    // row was the current entry.
    bool OnDeleteItem(int index);
    // One moment back or forward, without wrap-around: the partner of the
    // current entry is passed over and a moment is entered at its first row.
    // False (and no change) at either end or without a current entry.
    bool SelectPrevious();
    bool SelectNext();
    void ClearPlaylist();
    // False when there is no current entry.
    bool GetCurrentPath(std::string& path) const;
    // The entry at index did not play as a video; its row shows why. An
    // index outside the list does nothing.
    void MarkProblem(int index, ClipProblem problem);
    // The entry at index is a repaired copy of original (kept for the dump
    // and the export's report).
    void MarkRepaired(int index, std::string original) { list_.SetRepairedFrom(index, std::move(original)); }

    // The other camera of the entry's moment (see cameras/ClipPartners),
    // -1 when it has none. Matched whenever the list changes, by name and
    // the files' modification times. A car's moment has its back camera as
    // its partner path, not as a row.
    int PartnerOf(int index) const;
    std::string PartnerPathOf(int index) const;
    // A car's moment with more cameras than front and back: all its clips
    // (the row's own first), shown together; empty otherwise.
    std::vector<std::string> CarCamerasOf(int index) const;

    const CPlayList& GetPlayList() const { return list_; }

private:
    void addMediaFiles(const std::string& folder, std::vector<platform::DirectoryEntry>& items);
    void addSiblingChannelFolders(const std::string& folder);
    // Adds the car's moments; the index of the one holding `clip` ("" the first), -2 when none was found.
    int addCarMoments(const std::string& folder, const std::string& clip);
    void rebuildRows();
    void moveCurrentTo(int index);
    void matchPartners();
    // The first row of the moment of `index` (its partner above it, unless that is `except`).
    int momentStart(int index, int except) const;

    CPlayList list_;
    AcceptedExtensions extensions_;
    PlaylistTree* tree_;
    std::vector<int> partners_;  // per entry; -1: none
};
