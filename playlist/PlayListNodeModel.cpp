#include "playlist/PlayListNodeModel.h"

#include <QTextDocument>
#include <algorithm>
#include <climits>

namespace {
// Keys are shared by all trees of the process, so a key never names a row
// of another tree either.
uint64_t nextKey() {
    static uint64_t key = 0;
    return ++key;
}
}  // namespace

int PlayListNodeModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

QVariant PlayListNodeModel::data(const QModelIndex& index, int role) const {
    const CPlayListNodeUI* node = NodeAt(index.row());
    if (!node || index.column() != 0) return {};
    switch (role) {
        case Qt::DisplayRole:
            return node->GetItemText();
        case Qt::ToolTipRole: {
            QString tip = node->GetToolTip();
            if (!node->GetTrackDetails().isEmpty())
                tip += (tip.isEmpty() ? QString() : QStringLiteral("\n")) + node->GetTrackDetails();
            return tip.isEmpty() ? QVariant() : QVariant(PlainToolTip(tip));
        }
        case PlayingRole:
            return node->IsPlaying();
        default:
            return {};
    }
}

Qt::ItemFlags PlayListNodeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void PlayListNodeModel::Append(std::vector<CPlayListNodeUI> nodes) {
    const size_t room = static_cast<size_t>(INT_MAX) - nodes_.size();
    if (nodes.size() > room) nodes.resize(room);
    if (nodes.empty()) return;
    const int first = Count();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(nodes.size()) - 1);
    nodes_.reserve(nodes_.size() + nodes.size());
    for (CPlayListNodeUI& node : nodes) {
        node.SetKey(nextKey());
        nodes_.push_back(std::move(node));
    }
    endInsertRows();
}

bool PlayListNodeModel::RemoveAt(int row) {
    if (row < 0 || row >= Count()) return false;
    beginRemoveRows(QModelIndex(), row, row);
    nodes_.erase(nodes_.begin() + row);
    endRemoveRows();
    return true;
}

void PlayListNodeModel::RemoveAll() {
    if (nodes_.empty()) return;
    beginResetModel();
    nodes_.clear();
    endResetModel();
}

bool PlayListNodeModel::SetPlaying(int row, bool playing) {
    if (row < 0 || row >= Count()) return false;
    CPlayListNodeUI& node = nodes_[static_cast<size_t>(row)];
    if (node.IsPlaying() != playing) {
        node.SetPlaying(playing);
        const QModelIndex at = index(row);
        emit dataChanged(at, at, {PlayingRole});
    }
    return true;
}

bool PlayListNodeModel::SetProblem(int row, bool problem, const QString& toolTip) {
    if (row < 0 || row >= Count()) return false;
    CPlayListNodeUI& node = nodes_[static_cast<size_t>(row)];
    node.SetProblem(problem);
    node.SetToolTip(toolTip);
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::ToolTipRole, PlayingRole});
    return true;
}

bool PlayListNodeModel::SetTrackDetails(int row, const QString& details, bool startsTrip) {
    if (row < 0 || row >= Count()) return false;
    CPlayListNodeUI& node = nodes_[static_cast<size_t>(row)];
    if (node.GetTrackDetails() == details && node.StartsTrip() == startsTrip) return true;
    node.SetTrackDetails(details);
    node.SetStartsTrip(startsTrip);
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {Qt::ToolTipRole});
    return true;
}

bool PlayListNodeModel::SetPartnerRow(int row, bool partner) {
    if (row < 0 || row >= Count()) return false;
    CPlayListNodeUI& node = nodes_[static_cast<size_t>(row)];
    if (node.IsPartnerRow() == partner) return true;
    node.SetPartnerRow(partner);
    const QModelIndex at = index(row);
    emit dataChanged(at, at);
    return true;
}

const CPlayListNodeUI* PlayListNodeModel::NodeAt(int row) const {
    return row >= 0 && row < Count() ? &nodes_[static_cast<size_t>(row)] : nullptr;
}

int PlayListNodeModel::RowOfKey(uint64_t key) const {
    const auto it = std::lower_bound(nodes_.begin(), nodes_.end(), key,
                                     [](const CPlayListNodeUI& node, uint64_t k) { return node.GetKey() < k; });
    if (it == nodes_.end() || it->GetKey() != key) return -1;
    return static_cast<int>(it - nodes_.begin());
}

QString PlayListNodeModel::PlainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
