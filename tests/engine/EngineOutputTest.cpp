// What the engine prints, how it names snapshots, and that its output never
// waits for a reader.
#include "engine/OutputWriter.h"
#include "engine/ProtocolLines.h"
#include "engine/ScreenshotNamer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <chrono>
#include <string>

using namespace std::chrono_literals;
namespace lines = engine::lines;

namespace {

std::string drain(int fd) {
    std::string out;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    return out;
}

}  // namespace

TEST(EngineProtocolLines, NumbersInThePlayersStyle) {
    EXPECT_EQ(lines::length(60), "ID_LENGTH=60.00");
    EXPECT_EQ(lines::length(59.996), "ID_LENGTH=60.00");
    EXPECT_EQ(lines::videoAspect(16.0 / 9.0), "ID_VIDEO_ASPECT=1.7778");
    EXPECT_EQ(lines::videoAspect(0), "ID_VIDEO_ASPECT=0.0000");
    EXPECT_EQ(lines::videoWidth(1920), "ID_VIDEO_WIDTH=1920");
    EXPECT_EQ(lines::videoHeight(1080), "ID_VIDEO_HEIGHT=1080");
    EXPECT_EQ(lines::timePosition(12.34), "ANS_TIME_POSITION=12.340");
    EXPECT_EQ(lines::speed(0.25), "ANS_SPEED=0.25");
    // A position a hair before the start is not printed as "-0.0".
    EXPECT_EQ(lines::timePosition(-0.021), "ANS_TIME_POSITION=0.000");
    EXPECT_EQ(lines::startingPlayback().rfind("Starting playback", 0), 0u);
    EXPECT_EQ(lines::screenshotWritten("shot0001.png"), "*** screenshot 'shot0001.png' ***");
    EXPECT_EQ(lines::exitEof(), "ID_EXIT=EOF");
    EXPECT_EQ(lines::exitQuit(), "ID_EXIT=QUIT");
}

TEST(EngineProtocolLines, SubtitleTextStaysOnOneLine) {
    EXPECT_EQ(lines::subtitleLog(""), "ID_SUBTITLE_LOG=");
    EXPECT_EQ(lines::subtitleLog("2016-05-20 10:30:00/E113 56 12.34"),
              "ID_SUBTITLE_LOG=2016-05-20 10:30:00/E113 56 12.34");
    EXPECT_EQ(lines::subtitleLog("first\r\nsecond\n"), "ID_SUBTITLE_LOG=first second");
    EXPECT_EQ(lines::subtitleLog("\n"), "ID_SUBTITLE_LOG=");
    EXPECT_EQ(lines::subtitleLog("a\tb\x1b[0m"), "ID_SUBTITLE_LOG=a b [0m");

    // A long text is cut without splitting a character.
    std::string longText;
    for (int i = 0; i < 600; ++i) longText += "\xc3\xa9";  // "é", two bytes
    const std::string line = lines::subtitleLog(longText);
    const std::string text = line.substr(std::string("ID_SUBTITLE_LOG=").size());
    EXPECT_LE(text.size(), 1024u);
    EXPECT_EQ(text.size() % 2, 0u);
    EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(EngineScreenshotNamer, NextFreeNumberNeverOverwrites) {
    testing_support::TempFolder folder;
    folder.write("shot0001.png", "earlier snapshot");
    folder.write("shot0003.png", "earlier snapshot");
    engine::ScreenshotNamer namer(folder.path());
    EXPECT_EQ(namer.next(), "shot0002.png");
    // Handed out but not yet written: still not handed out twice.
    EXPECT_EQ(namer.next(), "shot0004.png");
    EXPECT_EQ(namer.next(), "shot0005.png");
    EXPECT_EQ(folder.read("shot0001.png"), "earlier snapshot");
}

TEST(EngineOutputWriter, LinesArriveInOrderAndTheLastIsFlushed) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    {
        engine::OutputWriter out(fds[1], fds[1]);
        out.post("ID_LENGTH=3.00");
        out.postPeriodic("ANS_TIME_POSITION=0.5");
        out.postError("Warning: x");
        out.postFinal("ID_EXIT=EOF");
        EXPECT_TRUE(out.finish(5s));
        out.post("after the end");  // ignored
    }
    ::close(fds[1]);
    EXPECT_EQ(drain(fds[0]), "ID_LENGTH=3.00\nANS_TIME_POSITION=0.5\nWarning: x\nID_EXIT=EOF\n");
    ::close(fds[0]);
}

TEST(EngineOutputWriter, AStalledReaderNeitherBlocksPostsNorTheEnd) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    engine::OutputWriter out(fds[1], fds[1]);
    // Far more than the pipe holds; nobody reads. Every post returns.
    const std::string answer(200, 'a');
    for (int i = 0; i < 5000; ++i) {
        out.post(answer);
        out.postPeriodic("ANS_TIME_POSITION=1.0");
    }
    EXPECT_GT(out.droppedLines(), 0u);
    out.postFinal("ID_EXIT=QUIT");
    // The end gives up after its limit instead of waiting for the reader.
    EXPECT_FALSE(out.finish(300ms));
    ::close(fds[1]);
    ::close(fds[0]);
}

TEST(EngineOutputWriter, AReaderThatWentAwayEndsWritingAtOnce) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    ::close(fds[0]);
    engine::OutputWriter out(fds[1], fds[1]);  // SIGPIPE is ignored by the engine; see main
    out.post("ID_LENGTH=1.00");
    out.postFinal("ID_EXIT=EOF");
    EXPECT_TRUE(out.finish(5s));  // nothing left that could still be written
    ::close(fds[1]);
}
