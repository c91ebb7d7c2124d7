// Adding folders, navigating and deleting, on real folders and a recorded tree.
#include "support/RecordingTree.h"
#include "playlist/CPlaylistController.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <string>
#include <vector>

using testing_support::TempFolder;

namespace {

AcceptedExtensions extensions(std::string_view value) {
    AcceptedExtensions e;
    e.Parse(value);
    return e;
}

struct Playlist {
    RecordingTree tree;
    CPlaylistController controller{&tree};
    explicit Playlist(std::string_view associate = "MP4;mov") {
        controller.SetAcceptedExtensions(extensions(associate));
    }
    const CPlayList& list() const { return controller.GetPlayList(); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int i = 0; i < list().GetCount(); ++i) out.push_back(list().GetEntryAt(i)->name);
        return out;
    }
    std::string current() const {
        std::string path;
        return controller.GetCurrentPath(path) ? path : std::string("(none)");
    }
    // The rows must always mirror the list.
    void expectRowsMatch() const { EXPECT_EQ(tree.names(), names()); }
};

// A folder of clips named 0.mp4 ... (count-1).mp4, played at row `playing`.
struct NumberedFolder {
    TempFolder dir;
    Playlist p;
    NumberedFolder(int count, int playing) {
        for (int i = 0; i < count; ++i) dir.write(std::to_string(i) + ".mp4", "");
        p.controller.AddFolderOfFile(dir.path(), std::to_string(playing) + ".mp4");
    }
};

}  // namespace

TEST(PlaylistController, OpeningAFileAddsTheMediaFilesOfItsFolderAndPlaysIt) {
    TempFolder dir;
    dir.write("b.MOV", "");
    dir.write("a.mp4", "");
    dir.write("c.txt", "");
    dir.write("d.mp4/inner.mp4", "");  // a folder: neither added nor searched
    Playlist p;
    p.controller.AddFolderOfFile(dir.path(), "b.MOV");
    EXPECT_EQ(p.names(), (std::vector<std::string>{"a.mp4", "b.MOV"}));
    EXPECT_EQ(p.list().GetCurrent(), 1);
    EXPECT_EQ(p.current(), dir.path() + "b.MOV");
    p.expectRowsMatch();
    EXPECT_EQ(p.tree.playingRows(), std::vector<int>{1});
    EXPECT_EQ(p.tree.selected, 1);
    EXPECT_TRUE(p.tree.focused);
}

// A camera that keeps each channel in a folder of its own: opening a front
// clip brings the rear folder's clips, and each front has its rear.
TEST(PlaylistController, TheRearOfAFrontFolderIsFoundInItsSiblingFolder) {
    TempFolder dir;
    dir.write("Front/NO20261207-091500-000001F.MP4", "");
    dir.write("Front/NO20261207-091600-000003F.MP4", "");
    dir.write("Back/NO20261207-091501-000002B.MP4", "");
    dir.write("Back/NO20261207-091600-000004B.MP4", "");
    dir.write("Other/NO20261207-091500-000009B.MP4", "");  // no channel folder: not listed
    Playlist p;
    p.controller.AddFolderOfFile(dir.path() + "Front/", "NO20261207-091500-000001F.MP4");
    EXPECT_EQ(p.names(), (std::vector<std::string>{"NO20261207-091500-000001F.MP4", "NO20261207-091501-000002B.MP4",
                                                   "NO20261207-091600-000003F.MP4", "NO20261207-091600-000004B.MP4"}));
    EXPECT_EQ(p.controller.PartnerPathOf(0), dir.path() + "Back/NO20261207-091501-000002B.MP4");
    EXPECT_EQ(p.controller.PartnerOf(2), 3);
    p.expectRowsMatch();
}

// A car's camera folder: one row per minute, labelled by group; the row
// plays its front with its back. A file of it opened lists the tree below
// the folder opened and plays that file's moment; a drop of the folder too.
TEST(PlaylistController, ACarsFolderListsOneRowPerMomentByGroup) {
    TempFolder dir;
    for (const char* camera : {"front", "back", "left_repeater", "right_repeater"})
        dir.write(std::string("TeslaCam/RecentClips/2026-12-07_09-16-00-") + camera + ".mp4", "");
    dir.write("TeslaCam/SentryClips/2026-12-08_01-00-00/2026-12-08_00-59-00-front.mp4", "");
    dir.write("TeslaCam/SavedClips/2026-12-07_10-00-00/2026-12-07_09-59-00-front.mp4", "");
    dir.write("TeslaCam/SavedClips/2026-12-07_10-00-00/2026-12-07_09-59-01-back.mp4", "");
    Playlist p;
    p.controller.AddFolderOfFile(dir.path() + "TeslaCam/RecentClips/", "2026-12-07_09-16-00-back.mp4");
    EXPECT_EQ(p.names(), std::vector<std::string>{"Recent  2026-12-07 09:16:00  (4 cameras)"});
    EXPECT_EQ(p.current(), dir.path() + "TeslaCam/RecentClips/2026-12-07_09-16-00-front.mp4");
    EXPECT_EQ(p.controller.PartnerPathOf(0), dir.path() + "TeslaCam/RecentClips/2026-12-07_09-16-00-back.mp4");
    EXPECT_EQ(p.list().GetEntryAt(0)->cameras.size(), 4u);

    EXPECT_TRUE(p.controller.AddDroppedFiles({dir.path() + "TeslaCam"}));
    EXPECT_EQ(p.names(), (std::vector<std::string>{"Recent  2026-12-07 09:16:00  (4 cameras)",
                                                   "Saved  2026-12-07 09:59:00  (2 cameras)",
                                                   "Sentry  2026-12-08 00:59:00  (1 camera)"}));
    EXPECT_EQ(p.controller.PartnerPathOf(2), "");
    p.expectRowsMatch();
    EXPECT_FALSE(p.controller.AddDroppedFiles({dir.path() + "TeslaCam/SavedClips/nothing-here"}));
}

TEST(PlaylistController, OpeningAFileOfAListedFolderDoesNotRebuildTheRows) {
    TempFolder dir;
    dir.write("a.mp4", "");
    dir.write("b.mp4", "");
    Playlist p;
    p.controller.AddFolderOfFile(dir.path(), "a.mp4");
    ASSERT_EQ(p.tree.addCalls, 1);
    const auto firstKey = p.tree.keyOf(0);

    p.controller.AddFolderOfFile(dir.path(), "a.mp4");
    EXPECT_EQ(p.tree.addCalls, 1);
    EXPECT_EQ(p.tree.keyOf(0), firstKey);
    EXPECT_EQ(p.list().GetCurrent(), 0);
    EXPECT_EQ(p.tree.playingRows(), std::vector<int>{0});

    // Another file of it moves the playing mark; the name may differ in case.
    p.controller.AddFolderOfFile(dir.path(), "B.MP4");
    EXPECT_EQ(p.list().GetCurrent(), 1);
    EXPECT_EQ(p.tree.playingRows(), std::vector<int>{1});
    EXPECT_EQ(p.tree.addCalls, 1);
}

TEST(PlaylistController, FilesWithoutAMediaExtensionAreNeverAddedNorCurrent) {
    TempFolder dir;
    dir.write("README", "");
    dir.write("clip.", "");
    dir.write("mp4", "");
    dir.write("notes.mp4.txt", "");
    dir.write("Z.mp4", "");
    dir.write("a.mp4", "");
    Playlist p;
    p.controller.AddFolderOfFile(dir.path(), "Z.mp4");
    ASSERT_EQ(p.list().GetCurrent(), 0);
    p.controller.AddFolderOfFile(dir.path(), "README");
    EXPECT_EQ(p.names(), (std::vector<std::string>{"Z.mp4", "a.mp4"}));
    EXPECT_EQ(p.list().GetCurrent(), -1);
    EXPECT_TRUE(p.tree.playingRows().empty());
    EXPECT_EQ(p.tree.selected, -1);
    EXPECT_EQ(p.current(), "(none)");
}

TEST(PlaylistController, AFolderThatCannotBeListedChangesNothing) {
    NumberedFolder f(3, 2);
    const int rebuilds = f.p.tree.removeAllCalls;
    f.p.controller.AddFolderOfFile(f.dir.path() + "missing/", "x.mp4");
    f.p.controller.AddFolderOfFile(f.dir.path() + "0.mp4/", "x.mp4");  // a file, not a folder
    EXPECT_EQ(f.p.list().GetCurrent(), 2);
    EXPECT_EQ(f.p.tree.playingRows(), std::vector<int>{2});
    EXPECT_EQ(f.p.tree.removeAllCalls, rebuilds);

    if (geteuid() != 0) {  // root reads any folder
        const std::string locked = f.dir.path() + "locked/";
        ASSERT_EQ(mkdir(locked.c_str(), 0), 0);
        f.p.controller.AddFolderOfFile(locked, "x.mp4");
        EXPECT_EQ(f.p.list().GetCurrent(), 2);
        EXPECT_EQ(f.p.list().GetCount(), 3);
    }
}

TEST(PlaylistController, FoldersAreInterleavedByNameAndTheOpenedFileIsCurrent) {
    TempFolder one, two;
    one.write("2016_0520_1027_R.MP4", "");
    one.write("2016_0520_1029_R.MP4", "");
    two.write("2016_0520_1028_F.MP4", "");
    Playlist p;
    p.controller.AddFolderOfFile(one.path(), "2016_0520_1029_R.MP4");
    p.controller.AddFolderOfFile(two.path().substr(0, two.path().size() - 1), "2016_0520_1028_F.MP4");  // no "/"
    EXPECT_EQ(p.names(),
              (std::vector<std::string>{"2016_0520_1027_R.MP4", "2016_0520_1028_F.MP4", "2016_0520_1029_R.MP4"}));
    EXPECT_EQ(p.current(), two.path() + "2016_0520_1028_F.MP4");
    EXPECT_EQ(p.tree.playingRows(), std::vector<int>{1});
    p.expectRowsMatch();
}

TEST(PlaylistController, DeletingRowsKeepsOrMovesThePlayingFile) {
    struct Case {
        int count, playing, deleted;
        bool wasCurrent;
        const char* currentAfter;  // the file, or "(none)"
        int playingRowAfter;
    };
    const Case cases[] = {
        {3, 2, 2, true, "1.mp4", 1},    // the playing last row: the new last plays
        {3, 1, 1, true, "2.mp4", 1},    // the playing row in the middle: its successor
        {1, 0, 0, true, "(none)", -1},  // the only row
        {4, 2, 3, false, "2.mp4", 2},   // below the playing row
        {4, 2, 0, false, "2.mp4", 1},   // above it: the same file, one row up
    };
    for (const Case& c : cases) {
        NumberedFolder f(c.count, c.playing);
        EXPECT_EQ(f.p.controller.OnDeleteItem(c.deleted), c.wasCurrent) << c.count << c.deleted;
        const std::string expected =
            c.currentAfter == std::string("(none)") ? c.currentAfter : f.dir.path() + c.currentAfter;
        EXPECT_EQ(f.p.current(), expected);
        EXPECT_EQ(f.p.tree.playingRows(),
                  c.playingRowAfter < 0 ? std::vector<int>{} : std::vector<int>{c.playingRowAfter});
        EXPECT_EQ(f.p.list().GetCount(), c.count - 1);
        f.p.expectRowsMatch();
    }
}

TEST(PlaylistController, ADeleteWhoseRowIsGoneRemovesNothing) {
    NumberedFolder f(3, 0);
    const uintptr_t key = f.p.tree.keyOf(0);
    // Two clicks on one button before the window handles the first.
    EXPECT_TRUE(f.p.controller.OnDeleteItem(f.p.tree.GetDeleteItemIndex(key)));
    EXPECT_FALSE(f.p.controller.OnDeleteItem(f.p.tree.GetDeleteItemIndex(key)));
    EXPECT_EQ(f.p.names(), (std::vector<std::string>{"1.mp4", "2.mp4"}));
    EXPECT_EQ(f.p.list().GetCurrent(), 0);

    const uintptr_t other = f.p.tree.keyOf(1);
    f.p.controller.ClearPlaylist();
    EXPECT_FALSE(f.p.controller.OnDeleteItem(f.p.tree.GetDeleteItemIndex(other)));
    EXPECT_FALSE(f.p.controller.OnDeleteItem(f.p.tree.GetDeleteItemIndex(0)));
}

TEST(PlaylistController, DeletingWithoutACurrentEntryNeverRestarts) {
    NumberedFolder f(2, 0);
    f.dir.write("notes.txt", "");
    f.p.controller.AddFolderOfFile(f.dir.path(), "notes.txt");
    ASSERT_EQ(f.p.list().GetCurrent(), -1);
    EXPECT_FALSE(f.p.controller.OnDeleteItem(f.p.tree.GetDeleteItemIndex(f.p.tree.keyOf(1))));
    EXPECT_FALSE(f.p.controller.OnDeleteItem(f.p.tree.GetDeleteItemIndex(12345)));
    EXPECT_EQ(f.p.list().GetCount(), 1);
}

TEST(PlaylistController, NextAndPreviousStopAtTheEnds) {
    NumberedFolder f(3, 2);
    EXPECT_FALSE(f.p.controller.SelectNext());
    EXPECT_EQ(f.p.list().GetCurrent(), 2);
    EXPECT_TRUE(f.p.controller.SelectPrevious());
    EXPECT_TRUE(f.p.controller.SelectPrevious());
    EXPECT_EQ(f.p.tree.playingRows(), std::vector<int>{0});
    EXPECT_EQ(f.p.tree.selected, 0);
    EXPECT_FALSE(f.p.controller.SelectPrevious());
    EXPECT_EQ(f.p.list().GetCurrent(), 0);
    EXPECT_TRUE(f.p.controller.SelectNext());
    EXPECT_EQ(f.p.current(), f.dir.path() + "1.mp4");
    EXPECT_EQ(f.p.tree.playingRows(), std::vector<int>{1});

    f.dir.write("notes.txt", "");
    f.p.controller.AddFolderOfFile(f.dir.path(), "notes.txt");  // no current entry: no next one
    EXPECT_FALSE(f.p.controller.SelectNext());
    EXPECT_FALSE(f.p.controller.SelectPrevious());
}

TEST(PlaylistController, ActivatingARowMovesThePlayingMark) {
    NumberedFolder f(3, 0);
    f.p.controller.PlayActivatedNode(2);
    EXPECT_EQ(f.p.list().GetCurrent(), 2);
    EXPECT_EQ(f.p.tree.playingRows(), std::vector<int>{2});
    f.p.controller.PlayActivatedNode(3);
    f.p.controller.PlayActivatedNode(-1);
    EXPECT_EQ(f.p.list().GetCurrent(), 2);
    EXPECT_EQ(f.p.tree.playingRows(), std::vector<int>{2});
}

TEST(PlaylistController, ClearingEmptiesListAndRows) {
    NumberedFolder f(3, 1);
    f.p.controller.ClearPlaylist();
    EXPECT_EQ(f.p.list().GetCount(), 0);
    EXPECT_TRUE(f.p.tree.rows.empty());
    EXPECT_EQ(f.p.current(), "(none)");
    // The same folder comes back whole.
    f.p.controller.AddFolderOfFile(f.dir.path(), "0.mp4");
    EXPECT_EQ(f.p.list().GetCount(), 3);
}

TEST(PlaylistController, AFileThatVanishesStaysListedUntilDeleted) {
    NumberedFolder f(3, 0);
    ASSERT_EQ(std::remove((f.dir.path() + "1.mp4").c_str()), 0);
    EXPECT_TRUE(f.p.controller.SelectNext());
    EXPECT_EQ(f.p.current(), f.dir.path() + "1.mp4");  // the player finds it missing, not the list
    f.p.controller.AddFolderOfFile(f.dir.path(), "1.mp4");
    EXPECT_EQ(f.p.list().GetCount(), 3);
    EXPECT_EQ(f.p.list().GetCurrent(), 1);
    // The whole folder gone: nothing changes.
    TempFolder gone;
    gone.write("x.mp4", "");
    const std::string folder = gone.path();
    Playlist q;
    ASSERT_EQ(std::remove((folder + "x.mp4").c_str()), 0);
    ASSERT_EQ(rmdir(folder.c_str()), 0);
    q.controller.AddFolderOfFile(folder, "x.mp4");
    EXPECT_EQ(q.list().GetCount(), 0);
}

TEST(PlaylistController, NamesAreTakenByteForByte) {
    TempFolder dir;
    const std::vector<std::string> names = {
        "Fahrt \xC3\xBC"
        "ber Land.MP4",
        "it's \"quoted\".mp4",
        "  two blanks.mp4",
        "\xE6\x97\xA5\xE6\x9C\xAC.mp4",
        "back\\slash.mp4",
        "tab\there.mp4",
        "line\nbreak.mp4",
        "bad \xFF byte.mp4",
        "$(rm -rf x).mp4"};
    for (const std::string& name : names) dir.write(name, "");
    Playlist p;
    for (const std::string& name : names) {
        p.controller.AddFolderOfFile(dir.path(), name);
        EXPECT_EQ(p.current(), dir.path() + name);
        std::string path;
        ASSERT_TRUE(p.controller.GetCurrentPath(path));
        EXPECT_EQ(access(path.c_str(), F_OK), 0) << path;
    }
    EXPECT_EQ(p.list().GetCount(), static_cast<int>(names.size()));
    p.expectRowsMatch();
}

TEST(PlaylistController, AFolderOfTenThousandClips) {
    TempFolder dir;
    for (int i = 0; i < 10000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s2016_0520_%06d_%c.MP4", dir.path().c_str(), i, i % 2 ? 'F' : 'R');
        const int fd = ::open(name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    dir.write("index.txt", "");
    Playlist p;
    p.controller.AddFolderOfFile(dir.path(), "2016_0520_005000_R.MP4");
    ASSERT_EQ(p.list().GetCount(), 10000);
    EXPECT_EQ(p.list().GetCurrent(), 5000);
    EXPECT_EQ(p.tree.addCalls, 1);
    EXPECT_EQ(p.list().GetEntryAt(0)->name, "2016_0520_000000_R.MP4");
    EXPECT_EQ(p.list().GetEntryAt(9999)->name, "2016_0520_009999_F.MP4");
    p.expectRowsMatch();
    while (p.controller.SelectNext()) {
    }
    EXPECT_EQ(p.list().GetCurrent(), 9999);
}
