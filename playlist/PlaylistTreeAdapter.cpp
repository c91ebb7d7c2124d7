#include "playlist/PlaylistTreeAdapter.h"

#include "playlist/CPlayListTreeViewUI.h"

PlaylistTreeAdapter::PlaylistTreeAdapter(CPlayListTreeViewUI* tree) : tree_(tree) {
    CPlayListNodeUI& n = rowTemplate_;
    n.SetItemTextColor(kTextColor);
    n.SetItemHotTextColor(kTextColor);
    n.SetSelItemTextColor(kTextColor);
    n.SetAttribute("height", "22");
    n.SetAttribute("inset", "7,0,0,0");
    n.SetAttribute("itemplayingtextcolor", "#000080FF");
    n.SetAttribute("itemattr", "valign=\"vcenter\" font=\"8\"");
    n.SetAttribute("folderattr", "width=\"0\" float=\"true\"");
    n.SetAttribute("itemendellipsis", "true");
    n.SetAttribute("deleteattr",
                   "width=\"18\" height=\"18\" normalimage=\"file='btn_delete.png' source='0,0,18,18'\" "
                   "hotimage=\"file='btn_delete.png' source='19,0,37,18'\" "
                   "pushedimage=\"file='btn_delete.png' source='38,0,56,18'\"");
}

CPlayListNodeUI PlaylistTreeAdapter::MakeNode(const QString& name) const {
    CPlayListNodeUI node(rowTemplate_);
    node.SetItemText(name);
    node.SetToolTip(name);
    return node;
}

void PlaylistTreeAdapter::RemoveAll() {
    if (tree_) tree_->RemoveAll();
}

void PlaylistTreeAdapter::AddNodes(const std::vector<std::string_view>& names) {
    if (!tree_) return;
    std::vector<CPlayListNodeUI> nodes;
    nodes.reserve(names.size());
    for (std::string_view name : names)
        nodes.push_back(MakeNode(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    tree_->AddNodes(std::move(nodes));
}

void PlaylistTreeAdapter::RemoveAt(int index) {
    if (tree_) tree_->RemoveAt(index);
}

void PlaylistTreeAdapter::SelectItem(int index, bool takeFocus) {
    if (tree_) tree_->SelectItem(index, takeFocus);
}

void PlaylistTreeAdapter::SetPlayingNode(int index, bool playing) {
    if (tree_) tree_->SetPlayingNode(index, playing);
}

void PlaylistTreeAdapter::ShowPartner(int index, int partner) {
    if (tree_) tree_->SetNodePartner(index, partner >= 0);
}

void PlaylistTreeAdapter::ShowProblem(int index, ClipProblem problem) {
    if (!tree_) return;
    const CPlayListNodeUI* node = tree_->GetNodeAt(index);
    if (!node) return;
    const QString& name = node->GetItemText();
    const QString& why = problemTexts_[static_cast<size_t>(problem)];
    const bool marked = problem != ClipProblem::None;
    tree_->SetNodeProblem(index, marked, marked && !why.isEmpty() ? name + QLatin1Char('\n') + why : name);
}

int PlaylistTreeAdapter::GetDeleteItemIndex(uintptr_t wParam) const {
    return tree_ ? tree_->GetDeleteItemIndex(wParam) : -1;
}
