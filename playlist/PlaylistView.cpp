#include "playlist/PlaylistView.h"

#include "playlist/CPlayListTreeViewUI.h"

#include <QFile>
#include <QFileDialog>
#include <climits>

PlaylistView::PlaylistView()
    : controller_(&adapter_), chooser_([this](QWidget* owner, const QString& nameFilter) {
          return chooseWithDialog(owner, nameFilter, dialogFolder_);
      }) {}

void PlaylistView::Bind(QWidget* treeControl) {
    adapter_.SetTreeControl(qobject_cast<CPlayListTreeViewUI*>(treeControl));
}

int PlaylistView::ActivatedRow(const ui::Notification& msg) const {
    CPlayListTreeViewUI* tree = GetTree();
    if (!tree || msg.sender != tree) return -1;
    if (msg.wParam > static_cast<uintptr_t>(INT_MAX)) return -1;
    return static_cast<int>(msg.wParam);
}

int PlaylistView::DeletedRow(uintptr_t wParam) const {
    return adapter_.GetDeleteItemIndex(wParam);
}

std::string PlaylistView::ChooseMediaFile(QWidget* owner, const QString& nameFilter) {
    const QString chosen = chooser_ ? chooser_(owner, nameFilter) : QString();
    if (chosen.isEmpty()) return {};
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) dialogFolder_ = chosen.left(slash + 1);
    return ToLocalPath(chosen);
}

bool PlaylistView::PressDeleteButton(int row) {
    CPlayListTreeViewUI* tree = GetTree();
    return tree && tree->ClickDeleteButton(row);
}

std::string PlaylistView::ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::vector<std::string> PlaylistView::ToLocalPaths(const QStringList& paths) {
    std::vector<std::string> local;
    local.reserve(static_cast<size_t>(paths.size()));
    for (const QString& path : paths) local.push_back(ToLocalPath(path));
    return local;
}

QString PlaylistView::chooseWithDialog(QWidget* owner, const QString& nameFilter, const QString& folder) {
    QFileDialog dialog(owner);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // One filter: a description holding ";;" must not split it into several.
    dialog.setNameFilters({nameFilter});
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}
