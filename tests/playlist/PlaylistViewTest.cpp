// The playlist as the main window uses it: folders and files coming in
// through the dialog and drops, activation and deletion through the tree.
#include "config/ConfigStore.h"
#include "platform/RecordingMessageTarget.h"
#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlaylistView.h"
#include "support/TempFolder.h"
#include "ui/EventSource.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QTreeWidget>

using testing_support::TempFolder;

namespace {

struct BoundView {
    TempFolder dir;
    QWidget window;
    CPlayListTreeViewUI* tree = new CPlayListTreeViewUI(&window);
    platform::RecordingMessageTarget target;
    PlaylistView view;

    BoundView() {
        tree->SetMessageTarget(&target);
        view.Bind(tree);
        setExtensions("MP4");
        window.resize(320, 240);
        tree->setGeometry(window.rect());
    }
    void setExtensions(std::string_view value) {
        TempFolder program, documents;
        program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\nAssociate=" + std::string(value) + "\n");
        ConfigStore store(program.path());
        store.InitConfigPaths(documents.path());
        view.Controller().LoadAcceptedExtensions(store);
    }
    std::string current() const {
        std::string path;
        return view.Controller().GetCurrentPath(path) ? path : std::string("(none)");
    }
    QStringList rowTexts() const {
        QStringList texts;
        for (int i = 0; i < tree->GetCount(); ++i) texts << tree->GetNodeAt(i)->GetItemText();
        return texts;
    }
};

}  // namespace

TEST(PlaylistView, TheDialogGetsTheFilterAndItsChoiceOpensTheFolder) {
    BoundView b;
    const std::string name =
        "Fahrt \xC3\xBC"
        "ber 'Land' \xF0\x9F\x9A\x97.MP4";
    b.dir.write(name, "");
    b.dir.write("a.mp4", "");
    QWidget* seenOwner = nullptr;
    QString seenFilter;
    b.view.SetFileChooser([&](QWidget* owner, const QString& filter) {
        seenOwner = owner;
        seenFilter = filter;
        return QString::fromUtf8(b.dir.path() + name);
    });
    const std::string chosen = b.view.ChooseMediaFile(&b.window, "Video files (*.mp4 *.mov)");
    EXPECT_EQ(chosen, b.dir.path() + name);
    b.view.Controller().AddChosenFile(chosen);
    EXPECT_EQ(seenOwner, &b.window);
    EXPECT_EQ(seenFilter, "Video files (*.mp4 *.mov)");
    EXPECT_EQ(b.current(), b.dir.path() + name);
    EXPECT_EQ(b.rowTexts(), QStringList({QString::fromUtf8(name), "a.mp4"}));  // "F" before "a"
    EXPECT_TRUE(b.tree->GetNodeAt(0)->IsPlaying());
    EXPECT_EQ(b.tree->GetCurSel(), 0);

    b.view.SetFileChooser([](QWidget*, const QString&) { return QString(); });
    EXPECT_EQ(b.view.ChooseMediaFile(&b.window, "x"), "");
    EXPECT_EQ(b.current(), b.dir.path() + name);
}

TEST(PlaylistView, DroppedPathsArriveInOrder) {
    BoundView b;
    const std::string clip = b.dir.write("d\xC3\xA9p\xC3\xB4t/clip 1.mp4", "");
    const std::string notes = b.dir.write("d\xC3\xA9p\xC3\xB4t/notes.txt", "");
    b.view.Controller().AddDroppedFiles(PlaylistView::ToLocalPaths({QString::fromUtf8(clip), QString::fromUtf8(notes)}));
    EXPECT_EQ(b.tree->GetCount(), 1);
    EXPECT_EQ(b.current(), "(none)");
    b.view.Controller().AddDroppedFiles(PlaylistView::ToLocalPaths({QString::fromUtf8(notes), QString::fromUtf8(clip)}));
    EXPECT_EQ(b.current(), clip);
}

TEST(PlaylistView, ADeleteClickReachesTheListThroughTheMessage) {
    BoundView b;
    for (const char* n : {"1.mp4", "2.mp4", "3.mp4"}) b.dir.write(n, "");
    b.view.Controller().AddFolderOfFile(b.dir.path(), "3.mp4");
    b.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&b.window));

    QTest::mouseClick(b.tree->viewport(), Qt::LeftButton, {}, b.tree->GetDeleteButtonRect(2).center());
    ASSERT_EQ(b.target.messages().size(), 1u);
    const platform::WindowMessage m = b.target.messages()[0];
    EXPECT_TRUE(b.view.Controller().OnDeleteItem(b.view.DeletedRow(m.wParam)));
    EXPECT_EQ(b.rowTexts(), QStringList({"1.mp4", "2.mp4"}));
    EXPECT_EQ(b.current(), b.dir.path() + "2.mp4");
    EXPECT_TRUE(b.tree->GetNodeAt(1)->IsPlaying());
    EXPECT_FALSE(b.view.Controller().OnDeleteItem(b.view.DeletedRow(m.wParam)));  // handled twice: nothing more goes

    EXPECT_TRUE(b.view.PressDeleteButton(0));
    EXPECT_FALSE(b.view.PressDeleteButton(5));
    const platform::WindowMessage first = b.target.messages().back();
    EXPECT_FALSE(b.view.Controller().OnDeleteItem(b.view.DeletedRow(first.wParam)));
    EXPECT_EQ(b.rowTexts(), QStringList({"2.mp4"}));
    EXPECT_EQ(b.view.Controller().GetPlayList().GetCurrent(), 0);
}

TEST(PlaylistView, OnlyTheTreesActivationPlaysARow) {
    BoundView b;
    for (const char* n : {"1.mp4", "2.mp4", "3.mp4"}) b.dir.write(n, "");
    b.view.Controller().AddFolderOfFile(b.dir.path(), "1.mp4");
    b.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&b.window));
    // The main window forwards "itemactivate" of the tree.
    ui::EventSource::of(b.tree)->subscribe([&](const ui::Notification& msg) {
        if (msg.type == ui::UI_NOTIFY_ITEMACTIVATE) b.view.Controller().PlayActivatedNode(b.view.ActivatedRow(msg));
        return true;
    });
    const QRect row = b.tree->visualRect(b.tree->model()->index(2, 0));
    const QPoint name(row.left() + 20, row.center().y());
    QTest::mouseClick(b.tree->viewport(), Qt::LeftButton, {}, name);
    QTest::mouseDClick(b.tree->viewport(), Qt::LeftButton, {}, name);
    QTest::mouseRelease(b.tree->viewport(), Qt::LeftButton, {}, name);
    EXPECT_EQ(b.current(), b.dir.path() + "3.mp4");
    EXPECT_TRUE(b.tree->GetNodeAt(2)->IsPlaying());
    EXPECT_FALSE(b.tree->GetNodeAt(0)->IsPlaying());

    QWidget other;
    EXPECT_EQ(b.view.ActivatedRow({ui::UI_NOTIFY_ITEMACTIVATE, &other, 0, 0}), -1);
    EXPECT_EQ(b.view.ActivatedRow({ui::UI_NOTIFY_ITEMACTIVATE, b.tree, static_cast<uintptr_t>(-1), 0}), -1);
    EXPECT_EQ(b.current(), b.dir.path() + "3.mp4");
}

TEST(PlaylistView, WithoutItsTreeTheListStillWorks) {
    TempFolder dir;
    dir.write("a.mp4", "");
    dir.write("b.mp4", "");
    QTreeWidget plain;  // a skin without our tree class
    PlaylistView view;
    view.Bind(&plain);
    EXPECT_EQ(view.GetTree(), nullptr);
    view.Controller().AddFolderOfFile(dir.path(), "a.mp4");  // no extensions loaded: nothing is media
    EXPECT_EQ(view.Controller().GetPlayList().GetCount(), 0);

    auto* tree = new CPlayListTreeViewUI;
    PlaylistView bound;
    bound.Bind(tree);
    TempFolder program, documents;
    program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\n");
    ConfigStore store(program.path());
    store.InitConfigPaths(documents.path());
    CPlaylistController& list = bound.Controller();
    list.LoadAcceptedExtensions(store);
    list.AddFolderOfFile(dir.path(), "b.mp4");
    ASSERT_EQ(tree->GetCount(), 2);
    delete tree;  // the window goes first
    EXPECT_TRUE(list.SelectPrevious());
    EXPECT_FALSE(bound.PressDeleteButton(0));
    EXPECT_EQ(bound.DeletedRow(1), -1);
    list.ClearPlaylist();
    EXPECT_EQ(list.GetPlayList().GetCount(), 0);
}
