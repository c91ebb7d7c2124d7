#include "platform/RecordingMessageTarget.h"

#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

TEST(RecordingMessageTarget, RecordsPostsAndSendsFromOtherThreads) {
    platform::RecordingMessageTarget target;
    target.setSendHook([](const platform::WindowMessage& m) { return static_cast<intptr_t>(m.wParam * 2); });
    intptr_t answer = 0;
    std::thread worker([&] {
        target.postMessage(platform::WM_TRACK_EVENT, 516, 0);
        answer = target.sendMessage(platform::WM_TRACK_LIVE, 21, 1);
    });
    EXPECT_TRUE(target.waitFor(platform::WM_TRACK_LIVE, 21, 2s));
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(target.countOf(platform::WM_TRACK_EVENT, 516), 1u);
    EXPECT_EQ(target.messages().size(), 2u);
    EXPECT_FALSE(target.waitFor(platform::WM_PLAYER_EVENT, 10ms));
}
