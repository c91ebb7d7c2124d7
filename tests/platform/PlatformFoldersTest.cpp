#include "platform/DocumentsFolder.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstanceLock.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

    // Someone else's link or an open folder in its place is refused.
    ::rmdir(own.substr(0, own.size() - 1).c_str());
    ASSERT_EQ(::symlink(xdg.c_str(), own.substr(0, own.size() - 1).c_str()), 0);
    EXPECT_EQ(platform::privateRuntimeFolder("", tmp.path()), "");
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
    first.reset();
    platform::SingleInstanceLock third(tmp.path(), "OrselyZemtaMutex");
    EXPECT_TRUE(third.acquired());
    platform::SingleInstanceLock nowhere("", "OrselyZemtaMutex");
    EXPECT_FALSE(nowhere.acquired());
}
