#pragma once
// The rows of the playlist tree as an item model: one row per node, no
// children. Nodes get increasing keys as they are appended and rows are only
// ever appended at the end, so keys ascend with the row and a key's row is
// found by binary search.
//
// Threads: UI thread only.
#include "playlist/CPlayListNodeUI.h"

#include <QAbstractListModel>
#include <vector>

class PlayListNodeModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { PlayingRole = Qt::UserRole + 1 };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void Append(std::vector<CPlayListNodeUI> nodes);
    bool RemoveAt(int row);
    void RemoveAll();
    bool SetPlaying(int row, bool playing);
    // The row's problem mark and tool tip.
    bool SetProblem(int row, bool problem, const QString& toolTip);
    // The row's track details (under its tool tip) and trip separator.
    bool SetTrackDetails(int row, const QString& details, bool startsTrip);
    bool SetPartnerRow(int row, bool partner);

    // nullptr for a row outside the model.
    const CPlayListNodeUI* NodeAt(int row) const;
    // The row of the node with this key, -1 when it is gone.
    int RowOfKey(uint64_t key) const;
    int Count() const { return static_cast<int>(nodes_.size()); }

    // A tool tip that shows as the plain text it is, even when it looks
    // like markup to QToolTip.
    static QString PlainToolTip(const QString& text);

private:
    std::vector<CPlayListNodeUI> nodes_;
    uint64_t lastKey_ = 0;
};
