#pragma once
// The playlist's rows on the Qt tree: every row is set up alike (colours,
// height, inset, playing colour, end ellipsis, the delete button's images of
// "btn_delete.png"), from one node prepared once and copied per row.
//
// Threads: UI thread only. Lifecycle: owned by PlaylistView; the tree may go
// first (it belongs to the window), after which the calls do nothing.
#include "playlist/CPlayListNodeUI.h"
#include "playlist/PlaylistTree.h"

#include <QPointer>
#include <QString>
#include <array>

class CPlayListTreeViewUI;

class PlaylistTreeAdapter final : public PlaylistTree {
public:
    static constexpr uint32_t kTextColor = 0xFFC8C6CB;

    explicit PlaylistTreeAdapter(CPlayListTreeViewUI* tree = nullptr);

    void SetTreeControl(CPlayListTreeViewUI* tree) { tree_ = tree; }
    CPlayListTreeViewUI* GetTreeControl() const { return tree_; }
    // The set-up every row gets, with the given name as text and tool tip.
    CPlayListNodeUI MakeNode(const QString& name) const;

    void RemoveAll() override;
    void AddNodes(const std::vector<std::string_view>& names) override;
    void RemoveAt(int index) override;
    void SelectItem(int index, bool takeFocus) override;
    void SetPlayingNode(int index, bool playing) override;
    void ShowProblem(int index, ClipProblem problem) override;
    void ShowPartner(int index, int partner) override;
    // The texts the tool tips give for each problem (translated), by ClipProblem.
    void SetProblemTexts(std::array<QString, 5> texts) { problemTexts_ = std::move(texts); }
    int GetDeleteItemIndex(uintptr_t wParam) const override;

private:
    QPointer<CPlayListTreeViewUI> tree_;
    CPlayListNodeUI rowTemplate_;
    std::array<QString, 5> problemTexts_;
};
