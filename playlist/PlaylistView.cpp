#include "playlist/PlaylistView.h"

#include "playlist/CPlayListTreeViewUI.h"

#include <QFile>
#include <QFileDialog>
#include <climits>

PlaylistView::PlaylistView() : controller_(&adapter_), chooser_(&PlaylistView::chooseWithDialog) {}

void PlaylistView::Bind(QWidget* treeControl) {
    adapter_.SetTreeControl(qobject_cast<CPlayListTreeViewUI*>(treeControl));
}

void PlaylistView::PlayActivatedNode(const ui::Notification& msg) {
    CPlayListTreeViewUI* tree = GetTree();
    if (!tree || msg.sender != tree) return;
    if (msg.wParam > static_cast<uintptr_t>(INT_MAX)) return;
    controller_.PlayActivatedNode(static_cast<int>(msg.wParam));
}

bool PlaylistView::OnDeleteItem(uintptr_t wParam, intptr_t) {
    return controller_.OnDeleteItem(wParam);
}

bool PlaylistView::OpenMediaFile(QWidget* owner, const QString& nameFilter) {
    const QString chosen = chooser_ ? chooser_(owner, nameFilter) : QString();
    if (chosen.isEmpty()) return false;
    controller_.AddChosenFile(ToLocalPath(chosen));
    return true;
}

void PlaylistView::AddDroppedFiles(const QStringList& paths) {
    std::vector<std::string> local;
    local.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths) local.push_back(ToLocalPath(path));
    controller_.AddDroppedFiles(local);
}

bool PlaylistView::PressDeleteButton(int row) {
    CPlayListTreeViewUI* tree = GetTree();
    return tree && tree->ClickDeleteButton(row);
}

std::string PlaylistView::ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString PlaylistView::chooseWithDialog(QWidget* owner, const QString& nameFilter) {
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // One filter: a description holding ";;" must not split it into several.
    dialog.setNameFilters({nameFilter});
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}
