// Many clips in one run of the program: drop a clip, let it play two
// seconds, then Next or Stop, over and over. Open files, threads, child
// processes and memory must not grow with the number of clips played.
// VELTARA_SOAK_CYCLES sets the number of cycles (200 by default); the
// figures go to the test's output and to $VELTARA_SOAK_REPORT when set.
// The hostile soak lets the playlist run through hostile clips mixed with
// good ones: VELTARA_HOSTILE_SOAK_CLIPS clips (30 by default; 200 in
// scripts/hostile-soak.sh), figures also to $VELTARA_HOSTILE_SOAK_REPORT.
#include "support/ProgramHarness.h"
#include "support/ClipFactory.h"
#include "support/HostileFiles.h"

#include <unistd.h>
#include <QJsonArray>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

struct Usage {
    int fds = 0;
    int threads = 0;
    long rssKiB = 0;
    int descendants = 0;          // every process below the program, zombies too
    long descendantsRssKiB = 0;   // the web engine's processes, mostly
    std::string descendantNames;  // "name name ...", for the report
};

std::string statusField(pid_t pid, const std::string& name) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name + ":", 0) == 0) return line.substr(line.find_first_not_of(" \t", name.size() + 1));
    return {};
}

long kibOf(const std::string& field) {
    return field.empty() ? 0 : std::strtol(field.c_str(), nullptr, 10);
}

Usage measure(pid_t program) {
    Usage usage;
    const std::string proc = "/proc/" + std::to_string(program);
    for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator(proc + "/fd")) ++usage.fds;
    usage.threads = static_cast<int>(kibOf(statusField(program, "Threads")));
    usage.rssKiB = kibOf(statusField(program, "VmRSS"));
    std::map<pid_t, pid_t> parent;
    for (const ProcessEntry& process : processes()) parent[process.pid] = process.parent;
    for (const auto& [pid, up] : parent) {
        pid_t at = up;
        while (at > 1 && at != program) at = parent.count(at) ? parent.at(at) : 0;
        if (at != program) continue;
        ++usage.descendants;
        usage.descendantsRssKiB += kibOf(statusField(pid, "VmRSS"));
        usage.descendantNames += statusField(pid, "Name") + " ";
    }
    return usage;
}

std::string describe(const char* when, const Usage& u) {
    char line[512];
    std::snprintf(line, sizeof line, "%-6s fds %d, threads %d, RSS %ld KiB, child processes %d (RSS %ld KiB):%s\n",
                  when, u.fds, u.threads, u.rssKiB, u.descendants, u.descendantsRssKiB, u.descendantNames.c_str());
    return line;
}

int fromEnvironment(const char* name, int fallback) {
    const char* chosen = std::getenv(name);
    const int n = chosen ? std::atoi(chosen) : fallback;
    return n > 0 ? n : fallback;
}

int cycles() {
    return fromEnvironment("VELTARA_SOAK_CYCLES", 200);
}

QJsonObject player(const QJsonObject& d) {
    return d["player"].toObject();
}

using Soak = ProgramFixture;

TEST_F(Soak, ClipAfterClipInOneRunLeavesNothingToGrow) {
    writeSettings("SSPreview=0\n");
    const std::string folder = home.path() + "clips/";
    std::filesystem::create_directories(folder);
    const std::string first = folder + "2016_0520_1030_F.MP4";
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(60);
    spec.durationSeconds = 6.0;
    spec.withAudio = false;
    ASSERT_EQ(testing_support::makeClip(first, spec), "");
    ASSERT_EQ(testing_support::makeClip(folder + "2016_0520_1031_F.MP4", spec), "");

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["map"].toObject()["loaded"].toBool(); }, 30s));
    std::this_thread::sleep_for(1s);
    const Usage atStart = measure(pid());

    const int total = cycles();
    const int warmUp = std::min(10, total);
    Usage warm;
    qint64 lastPlayer = 0;
    for (int cycle = 1; cycle <= total; ++cycle) {
        ASSERT_TRUE(driver.ask("drop " + first)["ok"].toBool()) << "cycle " << cycle;
        ASSERT_TRUE(waitFor(
            [&](const QJsonObject& d) {
                return player(d)["state"].toInt() == 3 && player(d)["pid"].toInteger() != lastPlayer &&
                       d["playlist"].toObject()["current"].toInt() == 0;
            },
            20s))
            << "cycle " << cycle << ": " << text(dump);
        std::this_thread::sleep_for(2s);
        if (cycle % 2 == 1) {
            lastPlayer = player(dump)["pid"].toInteger();
            ASSERT_TRUE(driver.ask("click btnNext")["ok"].toBool());
            ASSERT_TRUE(waitFor(
                [&](const QJsonObject& d) {
                    return player(d)["state"].toInt() == 3 && player(d)["pid"].toInteger() != lastPlayer &&
                           d["playlist"].toObject()["current"].toInt() == 1;
                },
                20s))
                << "cycle " << cycle << ": " << text(dump);
        } else {
            ASSERT_TRUE(driver.ask("click btnStop")["ok"].toBool());
            ASSERT_TRUE(waitFor(
                [](const QJsonObject& d) {
                    return player(d)["state"].toInt() == 0 && d["visible"].toObject()["btnPlay"].toBool();
                },
                20s))
                << "cycle " << cycle << ": " << text(dump);
        }
        lastPlayer = player(dump)["pid"].toInteger();
        if (cycle == warmUp) {
            ASSERT_TRUE(driver.ask("click btnStop")["ok"].toBool());
            ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == 0; }, 20s));
            std::this_thread::sleep_for(1s);
            warm = measure(pid());
        }
    }
    ASSERT_TRUE(driver.ask("click btnStop")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == 0; }, 20s));
    std::this_thread::sleep_for(1s);
    const Usage atEnd = measure(pid());

    std::string report = std::to_string(total) + " cycles of drop, play 2 s, Next or Stop (stopped when measured)\n";
    report += describe("start", atStart);
    report += describe("warm", warm);
    report += describe("end", atEnd);
    std::fputs(report.c_str(), stdout);
    if (const char* file = std::getenv("VELTARA_SOAK_REPORT")) std::ofstream(file) << report;

    // After the first clips have set up what the program keeps (caches,
    // the video window), nothing more may pile up.
    EXPECT_LE(atEnd.fds, warm.fds + 2);
    EXPECT_LE(atEnd.threads, warm.threads + 2);
    EXPECT_LE(atEnd.descendants, warm.descendants);
    EXPECT_EQ(atEnd.descendantNames.find("mplayer"), std::string::npos);
    EXPECT_EQ(atEnd.descendantNames.find("ffmpeg"), std::string::npos);
    EXPECT_LE(atEnd.rssKiB, warm.rssKiB + 48 * 1024);
    quitCleanly();
}

TEST_F(Soak, HostileClipsAmongGoodOnesInOneRunLeaveNothingBehind) {
    writeSettings("SSPreview=0\n");
    hostile_files::Bait bait(home.path() + "elsewhere/");
    const std::string warmUp = home.path() + "warm/2016_0520_1030_F.MP4";
    ASSERT_EQ(hostile_files::writeGoodClip(warmUp, 3.0), "");
    const std::string good = home.path() + "good.mp4";
    ASSERT_EQ(hostile_files::writeGoodClip(good, 1.0), "");

    // Groups of the hostile clips and a good one; the FIFO (10 s each) only once.
    const int wanted = fromEnvironment("VELTARA_HOSTILE_SOAK_CLIPS", 30);
    const std::string folder = home.path() + "hostile/";
    std::vector<std::string> names;
    for (int group = 0; static_cast<int>(names.size()) < wanted; ++group) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%03d_", group);
        for (const auto& name : hostile_files::writeHostileClips(folder, bait, prefix, group == 0))
            names.push_back(name);
        std::filesystem::copy_file(good, folder + prefix + "z_good.mp4");
        names.push_back(std::string(prefix) + "z_good.mp4");
    }
    const int last = static_cast<int>(names.size()) - 1;

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["map"].toObject()["loaded"].toBool(); }, 30s));
    ASSERT_TRUE(driver.ask("drop " + warmUp)["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == 3; }, 20s)) << text(dump);
    ASSERT_TRUE(driver.ask("click btnStop")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == 0; }, 20s));
    std::this_thread::sleep_for(1s);
    const Usage warm = measure(pid());

    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(driver.ask("drop " + folder + names.front())["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return d["playlist"].toObject()["current"].toInt() == last; },
                        std::chrono::seconds(30 + 5 * names.size())))
        << text(dump);
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["state"].toInt() == 0; }, 20s)) << text(dump);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::this_thread::sleep_for(1s);
    const Usage atEnd = measure(pid());

    char head[160];
    std::snprintf(head, sizeof head, "%zu clips (%d good) played through in %.1f s\n", names.size(),
                  static_cast<int>(std::count_if(names.begin(), names.end(),
                                                 [](const std::string& n) { return n.ends_with("z_good.mp4"); })),
                  seconds);
    std::string report = head;
    report += describe("warm", warm);
    report += describe("end", atEnd);
    report += "network connections " + std::to_string(bait.connections()) + ", opens of the named file " +
              std::to_string(bait.opens()) + "\n";
    std::fputs(report.c_str(), stdout);
    if (const char* file = std::getenv("VELTARA_HOSTILE_SOAK_REPORT")) std::ofstream(file) << report;

    EXPECT_LE(atEnd.fds, warm.fds + 2);
    EXPECT_LE(atEnd.threads, warm.threads + 2);
    EXPECT_LE(atEnd.descendants, warm.descendants);
    EXPECT_EQ(atEnd.descendantNames.find("mplayer"), std::string::npos);
    EXPECT_EQ(atEnd.descendantNames.find("ffmpeg"), std::string::npos);
    EXPECT_EQ(hostile_files::socketsIn(runtime.path()).find("DVRFFMpegPipe"), std::string::npos);
    EXPECT_EQ(bait.connections(), 0);
    EXPECT_EQ(bait.opens(), 0);
    quitCleanly();
}

}  // namespace
