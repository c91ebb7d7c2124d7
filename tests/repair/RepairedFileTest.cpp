// The repaired copy's writer: the media data copied behind a walk that raises
// how far it may go, the head rewritten once the length is known, and
// nothing left in the folder when the copy fails, is stopped or is dropped.
#include "repair/RepairedFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <thread>

using namespace testing_support;

namespace {

size_t filesIn(const std::string& folder) {
    size_t n = 0;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        n += name != "." && name != "..";  // the temporary files are hidden ones
    }
    ::closedir(dir);
    return n;
}

}  // namespace

TEST(RepairedFileTest, CopiesBehindTheWalkAndLeavesNothingWhenItFails) {
    TempFolder dir;
    std::string source;
    for (int i = 0; source.size() < (20u << 20); ++i) source += std::to_string(i) + ",";
    const std::string clip = dir.write("clip.mp4", source);
    const std::string copy = dir.path() + "clip.repaired.mp4";
    const auto tail = [](std::string& index, std::string&) {
        index = "INDEX";
        return true;
    };

    {  // Raised in steps from another thread while the copy runs, then the length.
        RepairedFile file(nullptr);
        std::string reason;
        ASSERT_TRUE(file.start(copy, "HEAD0", clip, 7, reason)) << reason;
        std::thread walk([&] {
            for (uint64_t at = 7; at < (12u << 20); at += 300000) {
                file.reached().store(at);
                file.reached().notify_all();
            }
        });
        walk.join();
        ASSERT_TRUE(file.finish(15u << 20, "HEAD1", tail, reason)) << reason;
        EXPECT_EQ(dir.read("clip.repaired.mp4"), "HEAD1" + source.substr(7, 15u << 20) + "INDEX");
    }
    ::unlink(copy.c_str());
    const size_t present = filesIn(dir.path());

    std::atomic<bool> stop{false};
    const auto refusingTail = [](std::string&, std::string& why) {
        why = "no index";
        return false;
    };
    const struct {
        const char* what;
        uint64_t length;
        RepairedFile::Tail tail;
        bool stopped, finished;
        const char* reason;
    } cases[] = {
        {"index refused", 100, refusingTail, false, true, "no index"},
        {"past the source's end", source.size(), tail, false, true, "cannot be written"},
        {"stopped", 100, tail, true, true, "cancelled"},
        {"dropped without finishing", 100, tail, false, false, ""},
    };
    for (const auto& c : cases) {
        stop = c.stopped;
        {
            RepairedFile file(&stop);
            std::string reason;
            ASSERT_TRUE(file.start(copy, "HEAD0", clip, 7, reason)) << c.what;
            // Within the length finished with, as a walk's end is never
            // before what it reached (the copy may be anywhere up to it).
            file.reached().store(57);
            file.reached().notify_all();
            if (c.finished) {
                EXPECT_FALSE(file.finish(c.length, "HEAD1", c.tail, reason)) << c.what;
                EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
            }
        }
        EXPECT_EQ(filesIn(dir.path()), present) << c.what;
    }
}
