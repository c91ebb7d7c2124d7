#pragma once
// What the playlist needs of the tree control that shows it: one row per
// entry, in the list's order, a row marked as playing, a selected row, and
// the row whose delete button was clicked. The Qt tree implements it;
// tests record the calls.
//
// Threads: UI thread only.
#include "playlist/ClipProblem.h"

#include <cstdint>
#include <string_view>
#include <vector>

class PlaylistTree {
public:
    virtual ~PlaylistTree();

    virtual void RemoveAll() = 0;
    // Appends one row per name, in order.
    virtual void AddNodes(const std::vector<std::string_view>& names) = 0;
    virtual void RemoveAt(int index) = 0;
    // -1 clears the selection. takeFocus gives the tree the keyboard focus.
    virtual void SelectItem(int index, bool takeFocus) = 0;
    // Out-of-range indices are ignored.
    virtual void SetPlayingNode(int index, bool playing) = 0;
    // Marks the row as a clip that did not play (None clears the mark).
    virtual void ShowProblem(int index, ClipProblem problem) = 0;
    // Marks the row as the second camera of the row `partner` (a row above
    // it); -1 clears the mark.
    virtual void ShowPartner(int /*index*/, int /*partner*/) {}
    // The row that the delete message (its wParam) is about, -1 when that
    // row is gone by now.
    virtual int GetDeleteItemIndex(uintptr_t wParam) const = 0;
};
