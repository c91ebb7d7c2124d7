#pragma once
// The playlist tree of the main window ("treePlaylist", skin class
// "PlayListTreeView"): one row per file, no folders. Rows are nodes in a
// model painted by one delegate. A row can be marked as playing; each row has
// a delete button. Activating a row (double-click, Enter) sends the window
// the notification "itemactivate" with the row in wParam. A click on a delete
// button posts WM_PLAYLIST_DELETED to the window (wParam: the row's key,
// lParam: its row at the click); GetDeleteItemIndex(wParam) then tells
// which row that is now, so a click whose row went meanwhile removes nothing.
//
// Threads: UI thread only. Lifecycle: created by the skin loader through the
// main window's control factory (Create) and destroyed with its parent.
// Messages go to the target given to SetMessageTarget, else to the window
// that holds the tree.
#include "platform/MessageTarget.h"
#include "playlist/CPlayListNodeUI.h"

#include <QTreeView>
#include <cstdint>
#include <vector>

class PlayListNodeModel;

class CPlayListTreeViewUI : public QTreeView {
    Q_OBJECT
public:
    enum class ButtonState { Normal, Hot, Pushed };

    explicit CPlayListTreeViewUI(QWidget* parent = nullptr);
    ~CPlayListTreeViewUI() override;

    // For the control factory's maker of "PlayListTreeView".
    static QWidget* Create(QWidget* parent) { return new CPlayListTreeViewUI(parent); }

    int GetCount() const;
    // Appends rows at the end; a batch costs one update of the view.
    void AddNode(CPlayListNodeUI node);
    void AddNodes(std::vector<CPlayListNodeUI> nodes);
    bool RemoveAt(int index);
    void RemoveAll();
    // nullptr outside the rows.
    const CPlayListNodeUI* GetNodeAt(int index) const;
    // Selects the row (and scrolls it into view); -1 clears the selection.
    // False for an index outside the rows.
    bool SelectItem(int index, bool takeFocus);
    int GetCurSel() const;

    // Out-of-range indices are ignored.
    void SetPlayingNode(int index, bool playing);
    void SetNodeProblem(int index, bool problem, const QString& toolTip);
    // What the clip's track tells, under the row's tool tip, and a thin line
    // above the row when it begins another trip.
    void SetNodeTrackDetails(int index, const QString& details, bool startsTrip);
    void SetNodePartner(int index, bool partner);

    // The row whose delete button was clicked last, -1 when it is gone.
    int GetDeleteItemIndex() const;
    // The row a WM_PLAYLIST_DELETED is about (its wParam), -1 when it is gone.
    int GetDeleteItemIndex(uintptr_t wParam) const;
    // Does what a click on the row's delete button does; false outside the rows.
    bool ClickDeleteButton(int index);
    // The delete button of a shown row, in viewport coordinates; empty otherwise.
    QRect GetDeleteButtonRect(int index) const;
    void SetMessageTarget(platform::MessageTarget* target) { target_ = target; }

    // For the delegate.
    ButtonState DeleteButtonState(uint64_t key) const;
    bool IsHotNode(uint64_t key) const { return key != 0 && key == hotKey_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // The key of the row at pos, and of the row whose delete button is at pos (0 for none).
    uint64_t rowKeyAt(const QPoint& pos) const;
    uint64_t buttonKeyAt(const QPoint& pos) const;
    void setHover(uint64_t rowKey, uint64_t buttonKey);
    void refreshHover();
    bool pressButton(QMouseEvent* event);
    void postDeleted(uint64_t key, int row);

    PlayListNodeModel* model_;
    platform::MessageTarget* target_ = nullptr;
    uint64_t hotKey_ = 0;
    uint64_t hotButtonKey_ = 0;
    uint64_t pressedKey_ = 0;
    uint64_t lastDeleteKey_ = 0;
};
