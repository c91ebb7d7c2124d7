#include "platform/DocumentsFolder.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstanceLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

using testing_support::TempFolder;

TEST(ProgramFolder, IsTheFolderOfThisExecutable) {
    const std::string& folder = platform::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(::access((folder + "PlatformFoldersTest").c_str(), X_OK), 0);
}

TEST(RuntimeFolder, UsesAPrivateXdgFolderElseMakesItsOwn) {
    TempFolder tmp;
    const std::string xdg = tmp.path() + "xdg";
    ASSERT_EQ(::mkdir(xdg.c_str(), 0700), 0);
    EXPECT_EQ(platform::privateRuntimeFolder(xdg, tmp.path()), xdg + "/");

    // Open to others, missing, or relative: our own 0700 folder instead.
    ::chmod(xdg.c_str(), 0755);
    const std::string own = platform::privateRuntimeFolder(xdg, tmp.path());
    EXPECT_EQ(own, tmp.path() + "veltara-" + std::to_string(::getuid()) + "/");
    struct stat st;
    ASSERT_EQ(::stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::privateRuntimeFolder("", tmp.path()), own);
    EXPECT_EQ(platform::privateRuntimeFolder("relative", tmp.path()), own);

    // A link, an open folder or another user's folder in its place is
    // refused: a fresh private folder beside it, the same one at every call.
    const std::string fixed = own.substr(0, own.size() - 1);
    ::rmdir(fixed.c_str());
    ASSERT_EQ(::symlink(xdg.c_str(), fixed.c_str()), 0);
    const std::string fresh = platform::privateRuntimeFolder("", tmp.path());
    EXPECT_EQ(fresh.rfind(fixed + ".", 0), 0u) << fresh;
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::privateRuntimeFolder("", tmp.path()), fresh);
}

TEST(RuntimeFolder, AnotherUsersFolderUnderTheFixedNameIsNotUsed) {
    TempFolder tmp;
    const std::string fixed = tmp.path() + "veltara-" + std::to_string(::getuid());
    ASSERT_EQ(::mkdir(fixed.c_str(), 0700), 0);
    if (::chown(fixed.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot give a folder to another user";
    const std::string chosen = platform::privateRuntimeFolder("", tmp.path());
    EXPECT_EQ(chosen.rfind(fixed + ".", 0), 0u) << chosen;
    // The single-instance lock works there again.
    platform::SingleInstanceLock first(chosen, "lock");
    platform::SingleInstanceLock second(platform::privateRuntimeFolder("", tmp.path()), "lock");
    EXPECT_TRUE(first.acquired());
    EXPECT_FALSE(second.acquired());
}

TEST(DocumentsFolder, FollowsUserDirsElseHomeDocuments) {
    TempFolder home;
    const std::string h = home.path().substr(0, home.path().size() - 1);
    EXPECT_EQ(platform::documentsFolder(h, ""), h + "/Documents");
    home.write(".config/user-dirs.dirs", "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    EXPECT_EQ(platform::documentsFolder(h, ""), h + "/Dokumente");
    home.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n");
    EXPECT_EQ(platform::documentsFolder(h, h + "/cfg"), "/srv/docs");
    home.write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/\"\n");  // disabled: home itself
    EXPECT_EQ(platform::documentsFolder(h, h + "/cfg"), h + "/Documents");
    EXPECT_EQ(platform::documentsFolder("", ""), "");
}

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstGoes) {
    TempFolder tmp;
    auto first = std::make_unique<platform::SingleInstanceLock>(tmp.path(), "OrselyZemtaMutex");
    EXPECT_TRUE(first->acquired());
    platform::SingleInstanceLock second(tmp.path(), "OrselyZemtaMutex");
    EXPECT_FALSE(second.acquired());
    EXPECT_EQ(second.error(), EWOULDBLOCK);
    first.reset();
    platform::SingleInstanceLock third(tmp.path(), "OrselyZemtaMutex");
    EXPECT_TRUE(third.acquired());
    platform::SingleInstanceLock nowhere("", "OrselyZemtaMutex");
    EXPECT_FALSE(nowhere.acquired());
    // A path taken by a folder or a FIFO is an error of its own, not "held".
    ASSERT_EQ(::mkdir((tmp.path() + "dir").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo((tmp.path() + "fifo").c_str(), 0600), 0);
    for (const char* name : {"dir", "fifo"}) {
        platform::SingleInstanceLock taken(tmp.path(), name);
        EXPECT_FALSE(taken.acquired());
        EXPECT_NE(taken.error(), 0);
        EXPECT_NE(taken.error(), EWOULDBLOCK);
    }
}
