#include "platform/RecordingMessageTarget.h"
#include "track/TrackParser.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::string textWithSecond(int second) {
    char text[96];
    std::snprintf(text, sizeof text, "2016-05-20 10:30:%02d/E113 56 12.34/N22 33 44.50/10", second % 60);
    return text;
}

}  // namespace

TEST(TrackLiveParser, SendsResultWithTagAndRecordReadableDuringTheSend) {
    platform::RecordingMessageTarget target;
    TrackParser parser;
    std::atomic<int> secondSeen{-1};
    target.setSendHook([&](const platform::WindowMessage& m) {
        // The worker is blocked in the send, as with the real window.
        if (m.lParam == 1) secondSeen = parser.record().second;
        return intptr_t{0};
    });
    EXPECT_FALSE(parser.startLive(nullptr));
    ASSERT_TRUE(parser.startLive(&target));
    EXPECT_FALSE(parser.startLive(&target));

    parser.submit(textWithSecond(42).c_str(), 4242);
    ASSERT_TRUE(target.waitFor(platform::WM_TRACK_LIVE, 4242, 5s));
    EXPECT_EQ(secondSeen.load(), 42);
    EXPECT_EQ(parser.liveRecord().second, 42);
    EXPECT_NEAR(parser.liveRecord().speed, 18.52, 1e-4);

    parser.submit(nullptr, 1);
    parser.submit("no track here", 7);
    ASSERT_TRUE(target.waitFor(platform::WM_TRACK_LIVE, 7, 5s));
    const auto sent = target.messagesOf(platform::WM_TRACK_LIVE);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].lParam, 1);
    EXPECT_EQ(sent[1].lParam, 0);
    parser.stopLive();
    EXPECT_FALSE(parser.liveRunning());
}

TEST(TrackLiveParser, LongTextsAreCutTo127Bytes) {
    platform::RecordingMessageTarget target;
    TrackParser parser;
    ASSERT_TRUE(parser.startLive(&target));
    // The speed lies beyond byte 127 and is lost with the cut.
    const std::string text = textWithSecond(5).substr(0, 47) + std::string(80, ' ') + "10";
    TrackParser whole;
    ASSERT_TRUE(whole.parseLive(text));
    ASSERT_NEAR(whole.record().speed, 18.52, 1e-4);
    parser.submit(text.c_str(), 3);
    ASSERT_TRUE(target.waitFor(platform::WM_TRACK_LIVE, 3, 5s));
    EXPECT_EQ(target.messagesOf(platform::WM_TRACK_LIVE)[0].lParam, 1);
    EXPECT_EQ(parser.liveRecord().speed, 0.0f);
}

TEST(TrackLiveParser, SubmitStormThenShutdown) {
    platform::RecordingMessageTarget target;
    std::atomic<int> sends{0};
    auto parser = std::make_unique<TrackParser>();
    target.setSendHook([&](const platform::WindowMessage&) {
        ++sends;
        return intptr_t{0};
    });
    ASSERT_TRUE(parser->startLive(&target));

    std::vector<std::thread> submitters;
    for (int t = 0; t < 3; ++t)
        submitters.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) parser->submit(textWithSecond(i).c_str(), t);
        });
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i) (void)parser->liveRecord();
    });
    for (auto& s : submitters) s.join();
    reader.join();

    // The latest text is always parsed, however many were replaced.
    parser->submit(textWithSecond(59).c_str(), 99);
    ASSERT_TRUE(target.waitFor(platform::WM_TRACK_LIVE, 99, 5s));
    EXPECT_EQ(parser->liveRecord().second, 59);
    EXPECT_LE(sends.load(), 6001);

    // Shutdown while texts keep arriving ends the worker without hanging.
    std::atomic<bool> keepSubmitting{true};
    std::thread late([&] {
        while (keepSubmitting) parser->submit(textWithSecond(1).c_str(), 5);
    });
    std::this_thread::sleep_for(5ms);
    parser->stopLive();
    EXPECT_FALSE(parser->liveRunning());
    keepSubmitting = false;
    late.join();
    parser.reset();
}
