#include "playlist/CPlayListTreeViewUI.h"

#include "playlist/PlayListNodeDelegate.h"
#include "playlist/PlayListNodeModel.h"
#include "playlist/PlaylistMessages.h"
#include "ui/CXMLWnd.h"
#include "ui/ControlNotifications.h"

#include <QCursor>
#include <QHeaderView>
#include <QMouseEvent>

CPlayListTreeViewUI::CPlayListTreeViewUI(QWidget* parent) : QTreeView(parent), model_(new PlayListNodeModel(this)) {
    setModel(model_);
    setItemDelegate(new PlayListNodeDelegate(this));
    setHeaderHidden(true);
    header()->setStretchLastSection(true);
    setRootIsDecorated(false);
    setIndentation(0);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);

    connect(this, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) ui::sendNotify(this, ui::UI_NOTIFY_ITEMACTIVATE, static_cast<uintptr_t>(index.row()));
    });
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &CPlayListTreeViewUI::refreshHover);
    connect(model_, &QAbstractItemModel::modelReset, this, &CPlayListTreeViewUI::refreshHover);
}

CPlayListTreeViewUI::~CPlayListTreeViewUI() = default;

int CPlayListTreeViewUI::GetCount() const {
    return model_->Count();
}

void CPlayListTreeViewUI::AddNode(CPlayListNodeUI node) {
    std::vector<CPlayListNodeUI> nodes;
    nodes.push_back(std::move(node));
    model_->Append(std::move(nodes));
}

void CPlayListTreeViewUI::AddNodes(std::vector<CPlayListNodeUI> nodes) {
    model_->Append(std::move(nodes));
}

bool CPlayListTreeViewUI::RemoveAt(int index) {
    return model_->RemoveAt(index);
}

void CPlayListTreeViewUI::RemoveAll() {
    model_->RemoveAll();
}

const CPlayListNodeUI* CPlayListTreeViewUI::GetNodeAt(int index) const {
    return model_->NodeAt(index);
}

bool CPlayListTreeViewUI::SelectItem(int index, bool takeFocus) {
    if (index == -1) {
        clearSelection();
        return true;
    }
    if (index < 0 || index >= GetCount()) return false;
    const QModelIndex at = model_->index(index);
    setCurrentIndex(at);
    scrollTo(at);
    if (takeFocus) setFocus(Qt::OtherFocusReason);
    return true;
}

int CPlayListTreeViewUI::GetCurSel() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void CPlayListTreeViewUI::SetPlayingNode(int index, bool playing) {
    model_->SetPlaying(index, playing);
    // Whatever started it (a key, the map, an event, the clip before ending),
    // the playing row is brought into view.
    if (playing && index >= 0 && index < GetCount()) scrollTo(model_->index(index));
}

void CPlayListTreeViewUI::SetNodeProblem(int index, bool problem, const QString& toolTip) {
    model_->SetProblem(index, problem, toolTip);
}

void CPlayListTreeViewUI::SetNodeTrackDetails(int index, const QString& details, bool startsTrip) {
    model_->SetTrackDetails(index, details, startsTrip);
}

void CPlayListTreeViewUI::SetNodePartner(int index, bool partner) {
    model_->SetPartnerRow(index, partner);
}

int CPlayListTreeViewUI::GetDeleteItemIndex() const {
    return GetDeleteItemIndex(static_cast<uintptr_t>(lastDeleteKey_));
}

int CPlayListTreeViewUI::GetDeleteItemIndex(uintptr_t wParam) const {
    return wParam == 0 ? -1 : model_->RowOfKey(wParam);
}

bool CPlayListTreeViewUI::ClickDeleteButton(int index) {
    const CPlayListNodeUI* node = GetNodeAt(index);
    if (!node) return false;
    postDeleted(node->GetKey(), index);
    return true;
}

QRect CPlayListTreeViewUI::GetDeleteButtonRect(int index) const {
    const CPlayListNodeUI* node = GetNodeAt(index);
    if (!node) return {};
    const QRect row = visualRect(model_->index(index));
    if (!row.isValid() || !viewport()->rect().intersects(row)) return {};
    return PlayListNodeDelegate::DeleteButtonRect(row, node->Style());
}

CPlayListTreeViewUI::ButtonState CPlayListTreeViewUI::DeleteButtonState(uint64_t key) const {
    if (key == 0 || key != hotButtonKey_) return ButtonState::Normal;
    return key == pressedKey_ ? ButtonState::Pushed : ButtonState::Hot;
}

uint64_t CPlayListTreeViewUI::rowKeyAt(const QPoint& pos) const {
    const CPlayListNodeUI* node = GetNodeAt(indexAt(pos).row());
    return node ? node->GetKey() : 0;
}

uint64_t CPlayListTreeViewUI::buttonKeyAt(const QPoint& pos) const {
    const QModelIndex at = indexAt(pos);
    const CPlayListNodeUI* node = GetNodeAt(at.row());
    if (!node) return 0;
    return PlayListNodeDelegate::DeleteButtonRect(visualRect(at), node->Style()).contains(pos) ? node->GetKey() : 0;
}

void CPlayListTreeViewUI::setHover(uint64_t rowKey, uint64_t buttonKey) {
    if (rowKey == hotKey_ && buttonKey == hotButtonKey_) return;
    hotKey_ = rowKey;
    hotButtonKey_ = buttonKey;
    viewport()->update();
}

void CPlayListTreeViewUI::refreshHover() {
    // The row under the mouse changed under it.
    const QPoint pos = viewport()->mapFromGlobal(QCursor::pos());
    if (viewport()->underMouse() && viewport()->rect().contains(pos)) {
        setHover(rowKeyAt(pos), buttonKeyAt(pos));
    } else {
        setHover(0, 0);
    }
}

bool CPlayListTreeViewUI::pressButton(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return false;
    const QPoint pos = event->position().toPoint();
    const uint64_t key = buttonKeyAt(pos);
    if (key == 0) return false;
    pressedKey_ = key;
    setHover(rowKeyAt(pos), key);
    viewport()->update();
    event->accept();
    return true;
}

void CPlayListTreeViewUI::mousePressEvent(QMouseEvent* event) {
    // A press on a delete button neither selects nor activates the row.
    if (!pressButton(event)) QTreeView::mousePressEvent(event);
}

void CPlayListTreeViewUI::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a double-click on a delete button is a click of its own.
    if (!pressButton(event)) QTreeView::mouseDoubleClickEvent(event);
}

void CPlayListTreeViewUI::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    setHover(rowKeyAt(pos), buttonKeyAt(pos));
    if (pressedKey_ != 0) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void CPlayListTreeViewUI::mouseReleaseEvent(QMouseEvent* event) {
    if (pressedKey_ == 0 || event->button() != Qt::LeftButton) {
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    const uint64_t key = pressedKey_;
    pressedKey_ = 0;
    viewport()->update();
    event->accept();
    // Released off the button: no click, as with any button.
    if (buttonKeyAt(event->position().toPoint()) != key) return;
    const int row = model_->RowOfKey(key);
    if (row >= 0) postDeleted(key, row);
}

bool CPlayListTreeViewUI::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) setHover(0, 0);
    return QTreeView::viewportEvent(event);
}

void CPlayListTreeViewUI::postDeleted(uint64_t key, int row) {
    lastDeleteKey_ = key;
    platform::MessageTarget* target = target_;
    if (!target) {
        if (ui::CXMLWnd* window = ui::ownerWindow(this)) target = window->GetHWND();
    }
    if (target) target->postMessage(WM_PLAYLIST_DELETED, static_cast<uintptr_t>(key), row);
}
