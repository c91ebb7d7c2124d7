#pragma once
// The playlist on the main window: the Qt-free CPlaylistController, which
// the handler sequences use directly, joined to the tree "treePlaylist";
// the open dialog; and the decoding of what the tree sends the window (an
// activated row, a deleted row) into row numbers.
//
// Threads: UI thread only. Lifecycle: created with the view manager, bound to
// the tree once the skin is built (Bind), given its extensions
// (Controller().LoadAcceptedExtensions) before the first clip comes in;
// lives as long as the view manager. It may outlive the tree.
#include "playlist/CPlaylistController.h"
#include "playlist/PlaylistTreeAdapter.h"
#include "ui/Notification.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class CPlayListTreeViewUI;
class QWidget;

class PlaylistView {
public:
    // Shows the open dialog; the chosen path, or empty when cancelled.
    using FileChooser = std::function<QString(QWidget* owner, const QString& nameFilter)>;

    PlaylistView();
    PlaylistView(const PlaylistView&) = delete;
    PlaylistView& operator=(const PlaylistView&) = delete;

    // The window's "treePlaylist"; anything but our tree (or nullptr) keeps
    // the list without rows.
    void Bind(QWidget* treeControl);
    CPlayListTreeViewUI* GetTree() const { return adapter_.GetTreeControl(); }

    CPlaylistController& Controller() { return controller_; }
    const CPlaylistController& Controller() const { return controller_; }

    // The row of an "itemactivate" of our tree; -1 for other controls or a
    // row number out of range.
    int ActivatedRow(const ui::Notification& msg) const;
    // The row a WM_PLAYLIST_DELETED (its wParam) is about; -1 when it is gone.
    int DeletedRow(uintptr_t wParam) const;

    // The open dialog, modal to owner, with the one given filter, starting in
    // the dialog folder: the chosen local path, or empty when cancelled. A
    // choice makes its folder the dialog folder.
    std::string ChooseMediaFile(QWidget* owner, const QString& nameFilter);
    void SetDialogFolder(const std::string& folder) { dialogFolder_ = QString::fromStdString(folder); }
    // As a click on the row's delete button (the test driver's); false
    // without such a row.
    bool PressDeleteButton(int row);

    // The tool-tip texts of the clip problems (translated), by ClipProblem.
    void SetProblemTexts(std::array<QString, 5> texts) { adapter_.SetProblemTexts(std::move(texts)); }

    // Tests replace the dialog.
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    static std::string ToLocalPath(const QString& path);
    static std::vector<std::string> ToLocalPaths(const QStringList& paths);

private:
    static QString chooseWithDialog(QWidget* owner, const QString& nameFilter, const QString& folder);

    PlaylistTreeAdapter adapter_;
    CPlaylistController controller_;
    FileChooser chooser_;
    QString dialogFolder_;
};
