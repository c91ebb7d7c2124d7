// The extractor's life cycle with stand-in converters (small scripts): runs
// that never connect, stops at every stage, the stop command, and the
// command line. Runs on real clips are in SubtitleExtractorClipTest.
#include "support/SubtitleExtractorTestSupport.h"
#include "platform/RuntimeFolder.h"
#include "support/TempFolder.h"
#include "track/SubtitleExtractorCommand.h"
#include "track/SubtitleExtractorConsole.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>

using namespace extractor_test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::string script(const testing_support::TempFolder& tmp, const std::string& name, const std::string& body) {
    const std::string path = tmp.write(name, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0700);
    return path;
}

// Socket files of this process left in the runtime folder.
size_t ourSocketFiles() {
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(platform::privateRuntimeFolder(), entries);
    const std::string prefix = std::string(SubtitleExtractor::SOCKET_PREFIX) + "." + std::to_string(::getpid()) + ".";
    size_t n = 0;
    for (const auto& e : entries) n += e.name.rfind(prefix, 0) == 0;
    return n;
}

}  // namespace

TEST(SubtitleExtractor, StopWhenIdleDoesNothing) {
    Harness h;
    EXPECT_EQ(h.extractor.stop(), 0);
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    EXPECT_FALSE(h.extractor.isStopPending());
    EXPECT_TRUE(h.target.messages().empty());
}

TEST(SubtitleExtractor, MissingConverterGivesItsErrnoAndLeavesNothingBehind) {
    Harness h;
    h.extractor.setConverterPath("/nonexistent/FFMpeg/ffmpeg");
    EXPECT_EQ(h.start("/nonexistent/clip.mp4"), ENOENT);
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    EXPECT_EQ(ourSocketFiles(), 0u);
    EXPECT_TRUE(h.target.messages().empty());
}

TEST(SubtitleExtractor, ConverterThatExitsWithoutConnectingEndsTheRun) {
    testing_support::TempFolder tmp;
    Harness h;
    h.extractor.setConverterPath(script(tmp, "quits", "echo 'Output file #0 does not contain any stream'; exit 1"));
    ASSERT_EQ(h.start(tmp.path() + "clip.mp4"), 0);
    // Nobody calls stop: the run must end on its own.
    ASSERT_TRUE(h.extractor.waitUntilIdle(10s));
    EXPECT_EQ(ourSocketFiles(), 0u);
    h.extractor.stop();
    EXPECT_FALSE(h.extractor.isStopPending());
    EXPECT_TRUE(h.target.messages().empty());
    const auto report = h.extractor.report();
    EXPECT_FALSE(report.connected);
    EXPECT_EQ(report.lastConsoleLine, "Output file #0 does not contain any stream");
}

// Another local process that connects first feeds nothing into the track;
// a converter that has ended is reaped without waiting for the next run.
TEST(SubtitleExtractor, OnlyItsConverterMayConnectAndAnEndedOneIsReapedAtOnce) {
    testing_support::TempFolder tmp;
    Harness h;
    const std::string pidFile = tmp.path() + "pid";
    h.extractor.setConverterPath(script(tmp, "slow", "echo $$ > '" + pidFile + "'; sleep 1; exit 0"));
    ASSERT_EQ(h.start(tmp.path() + "clip.mp4"), 0);
    const int intruder = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket = h.extractor.socketPath();
    std::memcpy(address.sun_path, socket.c_str(), socket.size() + 1);
    ASSERT_EQ(::connect(intruder, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::string fake =
        "1\n00:00:00,000 --> 00:00:01,000\n2099-01-01 00:00:00/E113 56 12.34/N22 33 44.50/1850/X:1/Y:1/Z:1\n";
    ::send(intruder, fake.data(), fake.size(), MSG_NOSIGNAL);
    char byte;
    EXPECT_LE(::recv(intruder, &byte, 1, 0), 0);  // refused and closed (reset: its message is dropped)
    ::close(intruder);

    ASSERT_TRUE(h.extractor.waitUntilIdle(10s));
    EXPECT_EQ(h.store.getReadyPages(), 0);
    EXPECT_FALSE(h.extractor.report().connected);
    std::ifstream in(pidFile);
    pid_t converter = 0;
    in >> converter;
    ASSERT_GT(converter, 0);
    EXPECT_TRUE(::kill(converter, 0) == -1 && errno == ESRCH);  // no zombie left
}

TEST(SubtitleExtractor, StopSendsQuitAndKillsAConverterThatIgnoresIt) {
    testing_support::TempFolder tmp;
    const std::string got = tmp.path() + "got";
    Harness h;
    // The first stand-in reads the command and exits; the second ignores it.
    h.extractor.setConverterPath(script(tmp, "obeys", "read command; printf %s \"$command\" > '" + got + "'"));
    ASSERT_EQ(h.start(tmp.path() + "clip.mp4"), 0);
    EXPECT_EQ(h.extractor.getState(), EXTRACT_RUNNING);
    EXPECT_EQ(h.extractor.stop(), 0);
    EXPECT_EQ(tmp.read("got"), "q");
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    EXPECT_TRUE(h.extractor.isStopPending());

    h.extractor.setConverterPath(script(tmp, "ignores", "exec sleep 30"));
    ASSERT_EQ(h.start(tmp.path() + "clip.mp4"), 0);
    const auto begin = Clock::now();
    h.extractor.stop();
    const auto took = Clock::now() - begin;
    EXPECT_GE(took, 450ms);  // the grace time after the stop command
    EXPECT_LT(took, 5s);
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    EXPECT_EQ(ourSocketFiles(), 0u);
    // A stop in the idle state keeps the pending stop.
    h.extractor.stop();
    EXPECT_TRUE(h.extractor.isStopPending());
    EXPECT_EQ(h.posts(TRACK_COMMAND_FAILED), 0u);
}

TEST(SubtitleExtractor, FailedStopCommandResetsAndPostsCommandFailed) {
    testing_support::TempFolder tmp;
    Harness h;
    h.extractor.setConverterPath(script(tmp, "deaf", "exec 0<&-\n: > '" + tmp.path() + "closed'\nexec sleep 30"));
    ASSERT_EQ(h.start(tmp.path() + "clip.mp4"), 0);
    for (int i = 0; i < 1000 && !platform::pathExists(tmp.path() + "closed"); ++i) std::this_thread::sleep_for(10ms);
    h.extractor.stop();
    EXPECT_EQ(h.extractor.getState(), EXTRACT_IDLE);
    ASSERT_EQ(h.target.messages().size(), 1u);
    EXPECT_EQ(h.posts(TRACK_COMMAND_FAILED), 1u);
}

TEST(SubtitleExtractor, CommandLineTextAndArguments) {
    testing_support::TempFolder tmp;
    Harness h;
    const std::string converter = script(tmp, "con verter", "exit 0");
    const std::string clip = tmp.path() + "a \"b\" 'c' ünï.mp4";
    h.extractor.setConverterPath(converter);
    ASSERT_EQ(h.start(clip), 0);
    const std::string socket = h.extractor.socketPath();
    EXPECT_EQ(socket.rfind(platform::privateRuntimeFolder() + "DVRFFMpegPipe." + std::to_string(::getpid()) + ".", 0),
              0u);
    EXPECT_EQ(h.extractor.commandLine(),
              "\"" + converter + "\" -i \"" + clip + "\" -y -vn -an -scodec srt -f srt -type seqpacket unix:" + socket);
    EXPECT_EQ(h.extractor.commandArguments(),
              (std::vector<std::string>{converter, "-protocol_whitelist", "file", "-format_whitelist", kClipFormats,
                                        "-i", clip, "-y", "-vn", "-an", "-scodec", "srt", "-f", "srt", "-type",
                                        "seqpacket", "unix:" + socket}));
    h.extractor.waitUntilIdle(10s);

    // Names the converter would take for a protocol or for its input stream.
    EXPECT_EQ(converterArguments("c", "unix:x.mp4", "", "out")[6], "file:unix:x.mp4");
    EXPECT_EQ(converterArguments("c", "-", "", "out")[6], "file:-");
    EXPECT_EQ(splitExtraArguments("  -a \"b c\"  d\"\" "), (std::vector<std::string>{"-a", "b c", "d"}));
    EXPECT_EQ(converterCommandLine("c", "i", "", "out"), "\"c\" -i \"i\" out");
}

TEST(SubtitleExtractorConsole, MarksAndReasonsFromWholeLines) {
    SubtitleExtractorConsole console;
    const std::string text =
        "Input #0, mov,mp4, from 'x.mp4':\r\n    Stream #0:0: Video: h264\n    Stream #0:1(und): Subtitle: mov";
    console.feed(text.data(), text.size());
    EXPECT_FALSE(console.sawSubtitleStream());
    // The rest of the line comes with the next read.
    const std::string more = "_text (tx3g)\n      handler_name    : Ambarella EXT\nsize=   0kB time=00:00:01\r";
    console.feed(more.data(), more.size());
    console.finish();
    EXPECT_TRUE(console.sawInput());
    EXPECT_TRUE(console.sawVideo());
    EXPECT_TRUE(console.sawAnySubtitle());
    EXPECT_TRUE(console.sawSubtitleStream());
    EXPECT_TRUE(console.sawCameraMarker());
    EXPECT_EQ(console.lastLine(), "      handler_name    : Ambarella EXT");
}
