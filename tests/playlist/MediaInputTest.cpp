// Which files are media files, and which file of a drop opens its folder.
#include "support/RecordingTree.h"
#include "config/ConfigStore.h"
#include "playlist/CPlaylistController.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using testing_support::TempFolder;

namespace {

struct Configured {
    TempFolder program;
    TempFolder documents;
    std::unique_ptr<ConfigStore> store;
    explicit Configured(const std::string& ini) {
        program.write("conf/TotalConfig/Tavimoor.ini", ini);
        store = std::make_unique<ConfigStore>(program.path());
        store->InitConfigPaths(documents.path());
    }
};

struct DropTarget {
    RecordingTree tree;
    CPlaylistController controller{&tree};
    DropTarget() {
        AcceptedExtensions e;
        e.Parse("mp4");
        controller.SetAcceptedExtensions(e);
    }
    std::string current() const {
        std::string path;
        return controller.GetCurrentPath(path) ? path : std::string("(none)");
    }
    int count() const { return controller.GetPlayList().GetCount(); }
};

}  // namespace

TEST(AcceptedExtensions, AMissingAssociateBecomesMp4AndIsWritten) {
    for (const char* ini : {"[MPlayer]\nVolume=50\n", "[MPlayer]\nAssociate=\n"}) {
        Configured c(ini);
        CPlaylistController controller;
        controller.LoadAcceptedExtensions(*c.store);
        EXPECT_EQ(controller.GetAcceptedExtensions().Items(), std::vector<std::string>{"MP4"});
        EXPECT_EQ(c.store->ReadConfigString("", "Associate"), "MP4");
        for (const char* ext : {"mp4", "MP4", "Mp4"}) EXPECT_TRUE(controller.IsAcceptedExtension(ext)) << ext;
        for (const char* ext : {"mov", "", "mp", "mp4 ",
                                "\xEF\xBD\x8D"
                                "p4"})
            EXPECT_FALSE(controller.IsAcceptedExtension(ext)) << ext;
    }
}

TEST(AcceptedExtensions, OnlyMediaExtensionsAreKeptAsWritten) {
    Configured c("[MPlayer]\nAssociate=mov;;MOV;xyz\n");
    CPlaylistController controller;
    controller.LoadAcceptedExtensions(*c.store);
    EXPECT_EQ(controller.GetAcceptedExtensions().Items(), (std::vector<std::string>{"mov", "MOV"}));
    EXPECT_EQ(c.store->ReadConfigString("", "Associate"), "mov;;MOV;xyz");

    AcceptedExtensions e;
    e.Parse(";;*.mp4; avi;.mkv;MoD;rmvb;rm;;");
    EXPECT_EQ(e.Items(), (std::vector<std::string>{"MoD", "rmvb", "rm"}));
    e.Parse("xyz");
    EXPECT_TRUE(e.Items().empty());
    EXPECT_FALSE(e.IsMediaFileName("clip.mp4"));
}

TEST(AcceptedExtensions, TheExtensionIsTheTextAfterTheLastDot) {
    AcceptedExtensions e;
    e.Parse("mp4");
    EXPECT_TRUE(e.IsMediaFileName("a.b.MP4"));
    EXPECT_FALSE(e.IsMediaFileName("a.mp4.txt"));
    EXPECT_FALSE(e.IsMediaFileName("mp4"));
    EXPECT_FALSE(e.IsMediaFileName("clip."));
    EXPECT_EQ(AcceptedExtensions::ExtensionOf("README"), "");
}

TEST(DroppedFiles, AFolderAddsNothingAndIsNotSearched) {
    TempFolder dir;
    dir.write("trip/a.mp4", "");
    DropTarget t;
    t.controller.AddDroppedFiles({dir.path() + "trip"});
    t.controller.AddDroppedFiles({dir.path() + "trip/"});
    t.controller.AddDroppedFiles({});
    t.controller.AddDroppedFiles({dir.path() + "missing.mp4"});
    EXPECT_EQ(t.count(), 0);
}

TEST(DroppedFiles, TheLastRegularFileDecidesWhatIsCurrent) {
    TempFolder dir;
    const std::string clip = dir.write("clip1.mp4", "");
    const std::string notes = dir.write("notes.txt", "");
    dir.write("clip2.mp4", "");

    DropTarget mediaFirst;
    mediaFirst.controller.AddDroppedFiles({clip, notes});
    EXPECT_EQ(mediaFirst.count(), 2);
    EXPECT_EQ(mediaFirst.current(), "(none)");
    EXPECT_TRUE(mediaFirst.tree.playingRows().empty());

    DropTarget notesFirst;
    notesFirst.controller.AddDroppedFiles({notes, clip});
    EXPECT_EQ(notesFirst.current(), clip);

    // A folder or a vanished path after the clip does not count as last.
    DropTarget trailing;
    trailing.controller.AddDroppedFiles({clip, dir.path(), dir.path() + "gone.mp4"});
    EXPECT_EQ(trailing.current(), clip);
}

TEST(DroppedFiles, WithoutAMediaFileNothingChanges) {
    TempFolder dir;
    const std::string clip = dir.write("clip1.mp4", "");
    const std::string notes = dir.write("notes.txt", "");
    DropTarget t;
    t.controller.AddDroppedFiles({clip});
    ASSERT_EQ(t.current(), clip);
    t.controller.AddDroppedFiles({notes, dir.path()});
    EXPECT_EQ(t.current(), clip);
    EXPECT_EQ(t.count(), 1);
}

TEST(DroppedFiles, FilesOfTwoFoldersAddOnlyTheLastOnesFolder) {
    TempFolder one, two;
    const std::string first = one.write("a.mp4", "");
    one.write("b.mp4", "");
    const std::string second = two.write("c d \xC3\xA9.mp4", "");
    two.write("e.mp4", "");
    DropTarget t;
    t.controller.AddDroppedFiles({first, second});
    EXPECT_EQ(t.count(), 2);
    EXPECT_EQ(t.current(), second);
    EXPECT_EQ(t.controller.GetPlayList().FindByPath(first), -1);
}
