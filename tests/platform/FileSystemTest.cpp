#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::TempFolder;

TEST(FileSystem, PathParts) {
    EXPECT_EQ(platform::parentFolder("/a/b/c.mp4"), "/a/b/");
    EXPECT_EQ(platform::parentFolder("c.mp4"), "./");
    EXPECT_EQ(platform::fileName("/a/b/c.mp4"), "c.mp4");
    EXPECT_EQ(platform::withTrailingSlash("/a"), "/a/");
    EXPECT_EQ(platform::withTrailingSlash("/a/"), "/a/");
}

TEST(FileSystem, AtomicReplaceKeepsTheOldFileWhenItCannotWrite) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
    TempFolder tmp;
    const std::string file = tmp.write("dir/a.ini", "old");
    ASSERT_TRUE(platform::replaceFileAtomically(file, "new"));
    EXPECT_EQ(tmp.read("dir/a.ini"), "new");
    ::chmod((tmp.path() + "dir").c_str(), 0555);
    EXPECT_FALSE(platform::replaceFileAtomically(file, "newer"));
    EXPECT_EQ(tmp.read("dir/a.ini"), "new");
    ::chmod((tmp.path() + "dir").c_str(), 0755);
    ::chmod(file.c_str(), 0444);
    EXPECT_FALSE(platform::replaceFileAtomically(file, "newer"));
    EXPECT_EQ(tmp.read("dir/a.ini"), "new");
}

TEST(FileSystem, AtomicReplaceLeavesNoTemporaryFilesAndKeepsMode) {
    TempFolder tmp;
    const std::string file = tmp.write("a.ini", "x");
    ::chmod(file.c_str(), 0600);
    ASSERT_TRUE(platform::replaceFileAtomically(file, "y"));
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::listDirectory(tmp.path(), entries));
    ASSERT_EQ(entries.size(), 1u);
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(FileSystem, CopyFileRespectsFailIfExists) {
    TempFolder tmp;
    const std::string a = tmp.write("a", "A");
    const std::string b = tmp.write("b", "B");
    EXPECT_FALSE(platform::copyFile(a, b, true));
    EXPECT_EQ(tmp.read("b"), "B");
    EXPECT_TRUE(platform::copyFile(a, b, false));
    EXPECT_EQ(tmp.read("b"), "A");
    EXPECT_FALSE(platform::copyFile(tmp.path() + "missing", tmp.path() + "c", true));
    EXPECT_FALSE(platform::pathExists(tmp.path() + "c"));
}
