#include "config/PrivateProfile.h"
#include "support/TempFolder.h"

#include "platform/FileSystem.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>
#include <vector>

using testing_support::TempFolder;

TEST(PrivateProfile, NamesIgnoreCaseAndValuesLoseBlanksAndQuotes) {
    TempFolder tmp;
    const std::string file = tmp.write("a.ini", "; comment\n[mplayer]\n  vo =  gl:yuv=0  \nAO=\"dsound\"\n");
    EXPECT_EQ(PrivateProfile::read(file, "MPlayer", "VO"), "gl:yuv=0");
    EXPECT_EQ(PrivateProfile::read(file, "MPLAYER", "ao"), "dsound");
    EXPECT_EQ(PrivateProfile::read(file, "MPlayer", "Missing"), std::nullopt);
    EXPECT_EQ(PrivateProfile::read(file, "Other", "VO"), std::nullopt);
    EXPECT_EQ(PrivateProfile::read(tmp.path() + "none.ini", "MPlayer", "VO"), std::nullopt);
}

TEST(PrivateProfile, WriteChangesOneKeyAndKeepsEveryOtherLine) {
    const std::string text =
        "; settings\r\n[MPlayer]\r\nLanguage=polish.ini\r\nodd line without equals\r\nvo = x\r\n\r\n[Other]\r\nVO=keep\r\n";
    EXPECT_EQ(PrivateProfile::withKey(text, "mplayer", "VO", "gl"),
              "; settings\r\n[MPlayer]\r\nLanguage=polish.ini\r\nodd line without equals\r\nVO=gl\r\n\r\n[Other]\r\nVO=keep\r\n");
    // A new key goes to the end of its section, before the blank line.
    EXPECT_EQ(PrivateProfile::withKey(text, "MPlayer", "Volume", "40"),
              "; settings\r\n[MPlayer]\r\nLanguage=polish.ini\r\nodd line without equals\r\nvo = x\r\nVolume=40\r\n\r\n"
              "[Other]\r\nVO=keep\r\n");
    // A new section goes to the end; a last line without a line end gets one.
    EXPECT_EQ(PrivateProfile::withKey("[A]\nk=1", "B", "x", "2"), "[A]\nk=1\n[B]\nx=2\n");
    EXPECT_EQ(PrivateProfile::withKey("", "MPlayer", "VO", "gl"), "[MPlayer]\nVO=gl\n");
    EXPECT_EQ(PrivateProfile::withKey("[A]\nk=1", "a", "K", "2"), "[A]\nK=2\n");
    // Line breaks in a value cannot forge keys.
    EXPECT_EQ(PrivateProfile::withKey("", "S", "k", "a\nVO=evil"), "[S]\nk=a VO=evil\n");
}

TEST(PrivateProfile, ReadAfterWriteSeesTheValueEvenWithDuplicates) {
    TempFolder tmp;
    const std::string file = tmp.write("a.ini", "[MPlayer]\nVO=a\n[mplayer]\nvo=b\n");
    ASSERT_TRUE(PrivateProfile::write(file, "MPlayer", "VO", "c"));
    EXPECT_EQ(PrivateProfile::read(file, "MPlayer", "VO"), "c");
    ASSERT_TRUE(PrivateProfile::write(tmp.path() + "new.ini", "MPlayer", "Volume", "12"));
    EXPECT_EQ(PrivateProfile::read(tmp.path() + "new.ini", "MPlayer", "Volume"), "12");
}

TEST(PrivateProfile, GarbageBinaryAndUnreadableFilesGiveNothingAndNoCrash) {
    TempFolder tmp;
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131) & 0xFF));
    const std::string file = tmp.write("bin.ini", binary);
    EXPECT_NO_FATAL_FAILURE(PrivateProfile::read(file, "MPlayer", "VO"));
    const std::string noSection = tmp.write("ns.ini", "VO=gl\n=\n[\n]]]\n");
    EXPECT_EQ(PrivateProfile::read(noSection, "MPlayer", "VO"), std::nullopt);
    EXPECT_EQ(PrivateProfile::read(tmp.path(), "MPlayer", "VO"), std::nullopt);  // a folder
    // A write to the garbage file keeps the garbage and adds the key.
    ASSERT_TRUE(PrivateProfile::write(noSection, "MPlayer", "VO", "x"));
    EXPECT_EQ(tmp.read("ns.ini"), "VO=gl\n=\n[\n]]]\n[MPlayer]\nVO=x\n");
    EXPECT_EQ(PrivateProfile::read(noSection, "MPlayer", "VO"), "x");
}

TEST(PrivateProfile, FailedWriteLeavesTheFileWhole) {
    TempFolder tmp;
    tmp.write("notafolder", "x");
    // The folder of the file is a plain file: nothing can be written there.
    EXPECT_FALSE(PrivateProfile::write(tmp.path() + "notafolder/a.ini", "MPlayer", "VO", "x"));
    EXPECT_EQ(tmp.read("notafolder"), "x");
}

TEST(PrivateProfile, ConcurrentWritersLoseNoKey) {
    TempFolder tmp;
    const std::string file = tmp.path() + "c.ini";
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i)
                PrivateProfile::write(file, "MPlayer", "K" + std::to_string(t * 100 + i), std::to_string(i));
        });
    for (auto& w : writers) w.join();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(PrivateProfile::read(file, "MPlayer", "K" + std::to_string(t * 100 + i)), std::to_string(i));
}

TEST(PrivateProfile, WriteOnAFullDiskLeavesTheFileWhole) {
    // A file-size limit makes the write fail part-way as a full disk would,
    // and it works for root too.
    TempFolder tmp;
    const std::string original = "[MPlayer]\nLanguage=english.ini\n";
    const std::string file = tmp.write("a.ini", original);
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = original.size() + 8;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = PrivateProfile::write(file, "MPlayer", "VO", std::string(200, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(tmp.read("a.ini"), original);
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::listDirectory(tmp.path(), entries));
    EXPECT_EQ(entries.size(), 1u) << "no temporary file is left behind";
}
