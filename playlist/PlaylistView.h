#pragma once
// The playlist as the main window's view side uses it: the list, its
// accepted extensions and the tree "treePlaylist", with the operations of
// the window's handlers. The view manager owns one and forwards to it; the
// Qt-free work is CPlaylistController's.
//
// Threads: UI thread only. Lifecycle: created with the view manager, bound to
// the tree once the skin is built (Bind), given its extensions
// (LoadAcceptedExtensions) before the first clip comes in; lives as long as
// the view manager. It may outlive the tree.
#include "playlist/CPlaylistController.h"
#include "playlist/PlaylistTreeAdapter.h"
#include "ui/Notification.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <utility>

class ConfigStore;
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

    void LoadAcceptedExtensions(const ConfigStore& store) { controller_.LoadAcceptedExtensions(store); }
    void SetAcceptedExtensions(AcceptedExtensions extensions) {
        controller_.SetAcceptedExtensions(std::move(extensions));
    }
    bool IsAcceptedExtension(std::string_view extension) const { return controller_.IsAcceptedExtension(extension); }

    void AddFolderOfFile(const std::string& folder, const std::string& name) {
        controller_.AddFolderOfFile(folder, name);
    }
    // "itemactivate" of the tree: its row becomes the current, playing entry.
    // Notifications of other controls are ignored.
    void PlayActivatedNode(const ui::Notification& msg);
    // WM_PLAYLIST_DELETED. True when the deleted row was the current entry.
    bool OnDeleteItem(uintptr_t wParam, intptr_t lParam);
    bool SelectPrevious() { return controller_.SelectPrevious(); }
    bool SelectNext() { return controller_.SelectNext(); }
    void ClearPlaylist() { controller_.ClearPlaylist(); }
    bool GetCurrentPath(std::string& path) const { return controller_.GetCurrentPath(path); }

    // The open dialog, modal to owner, with the one given filter. True when a
    // file was chosen (its folder is then added and the file is current).
    bool OpenMediaFile(QWidget* owner, const QString& nameFilter);
    // Dropped local paths, in drop order.
    void AddDroppedFiles(const QStringList& paths);
    // As a click on the row's delete button (the test driver's); false
    // without such a row.
    bool PressDeleteButton(int row);

    const CPlayList& GetPlayList() const { return controller_.GetPlayList(); }
    // Tests replace the dialog.
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    static std::string ToLocalPath(const QString& path);

private:
    static QString chooseWithDialog(QWidget* owner, const QString& nameFilter);

    PlaylistTreeAdapter adapter_;
    CPlaylistController controller_;
    FileChooser chooser_;
};
