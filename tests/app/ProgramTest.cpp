// The program itself in a real X server (Xvfb): it opens its window, refuses
// a second instance, takes commands through the test driver, plays a clip
// with its track on the map and the chart and, told to quit, closes with
// nothing left behind: no process, no socket.
#include "platform/ChildProcess.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

const std::string kProgram = std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-dvr-player";

// Reads a child's output to its end, so a chatty child never blocks on it.
class Drain {
public:
    explicit Drain(int fd)
        : thread_([fd, this] {
              char chunk[4096];
              ssize_t n;
              while ((n = ::read(fd, chunk, sizeof chunk)) > 0) text_.append(chunk, static_cast<size_t>(n));
          }) {}
    ~Drain() { join(); }
    const std::string& join() {
        if (thread_.joinable()) thread_.join();
        return text_;
    }

private:
    std::string text_;
    std::thread thread_;
};

class DriverConnection {
public:
    bool connect(const std::string& path, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            path.copy(address.sun_path, sizeof address.sun_path - 1);
            if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
            ::close(fd_);
            fd_ = -1;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    ~DriverConnection() {
        if (fd_ >= 0) ::close(fd_);
    }
    QJsonObject ask(const std::string& command) {
        const std::string line = command + "\n";
        if (::write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return {};
        std::string answer;
        char c;
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(fd_, &c, 1) == 1 && c != '\n') answer += c;
        return QJsonDocument::fromJson(QByteArray::fromStdString(answer)).object();
    }

private:
    int fd_ = -1;
};

std::string windowTree() {
    platform::ChildProcess xwininfo;
    if (xwininfo.start({"/usr/bin/xwininfo", "-root", "-tree"}) != 0) return {};
    Drain out(xwininfo.stdoutFd());
    xwininfo.waitFor(5s);
    return out.join();
}

// The id of the top-level window with that title, as xwininfo gives it; "" when none.
std::string windowId(const std::string& title) {
    std::istringstream tree(windowTree());
    for (std::string line; std::getline(tree, line);) {
        const size_t at = line.find(" \"" + title + "\"");
        if (at == std::string::npos) continue;
        std::istringstream words(line.substr(0, at));
        std::string id;
        words >> id;
        return id;
    }
    return {};
}

// What the program left behind: processes of its own that are still there
// after a short while (the web engine's helpers end a moment after it), as
// "name pid" lines. Those that ended meanwhile are reaped.
std::string leftBehind() {
    const auto end = std::chrono::steady_clock::now() + 5s;
    std::string running;
    while (true) {
        siginfo_t info{};
        if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG) != 0) return {};  // ECHILD: no child at all
        if (info.si_pid != 0) continue;                                    // one ended and is reaped
        if (std::chrono::steady_clock::now() >= end) break;
        std::this_thread::sleep_for(50ms);
    }
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid()) running += line.substr(0, line.rfind(')') + 1) + "\n";
    }
    return running;
}

// Asks for a dump until it satisfies the condition or the time is up.
bool waitForDump(DriverConnection& driver, const std::function<bool(const QJsonObject&)>& done,
                 std::chrono::milliseconds limit, QJsonObject& last) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        last = driver.ask("dump");
        if (done(last)) return true;
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        // Anything the program leaves running becomes our child, so it shows.
        ::prctl(PR_SET_CHILD_SUBREAPER, 1);
        ::mkdir((home.path() + "Documents").c_str(), 0700);
        ::chmod(runtime.path().c_str(), 0700);
        ::setenv("HOME", home.path().c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        socketPath = runtime.path() + "driver";
        ::setenv("VELTARA_TEST_DRIVER", socketPath.c_str(), 1);
    }

    testing_support::TempFolder home;
    testing_support::TempFolder runtime;
    std::string socketPath;
};

}  // namespace

TEST_F(Program, OpensItsWindowRunsAloneAndQuitsLeavingNothingBehind) {
    platform::ChildProcess program;
    ASSERT_EQ(program.start({kProgram}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
    Drain output(program.stdoutFd());

    DriverConnection driver;
    ASSERT_TRUE(driver.connect(socketPath, 20s)) << output.join();
    struct stat info {};
    ASSERT_EQ(::stat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const QJsonObject dump = driver.ask("dump");
    EXPECT_EQ(dump["title"].toString(), "Veltara DVR Player");
    EXPECT_EQ(dump["labels"].toObject()["LabelSpeed"].toString(), "Speed: 0 km/h");
    EXPECT_NE(windowTree().find("\"Veltara DVR Player\""), std::string::npos);
    // The first start copied the default configuration into the documents folder.
    EXPECT_EQ(::access((home.path() + "Documents/Veltara DVR Player/conf/Tavimoor.ini").c_str(), R_OK), 0);

    {
        platform::ChildProcess second;
        ASSERT_EQ(second.start({kProgram}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
        Drain secondOutput(second.stdoutFd());
        EXPECT_EQ(second.waitFor(15s), 1);
    }

    // Every press counts, however Qt places the key events in memory.
    for (const bool fullScreen : {true, false, true, false}) {
        EXPECT_TRUE(driver.ask(fullScreen ? "key Return" : "key Escape")["ok"].toBool());
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(driver.ask("dump")["fullscreen"].toBool(), fullScreen);
    }

    EXPECT_TRUE(driver.ask("click btnSetting")["ok"].toBool());
    EXPECT_TRUE(driver.ask("key F8")["ok"].toBool());
    const QJsonObject after = driver.ask("dump");
    EXPECT_EQ(after["player"].toObject()["state"].toInt(), 0);
    EXPECT_EQ(after["title"].toString(), "Veltara DVR Player");

    EXPECT_TRUE(driver.ask("quit")["ok"].toBool());
    EXPECT_EQ(program.waitFor(15s), 0);
    output.join();
    EXPECT_NE(::lstat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(leftBehind(), "");
}

// A clip played in the real program: the track line and the car marker on
// the map page, every valid record charted, the panel with a fix. Leaves a
// screenshot of the window for people to look at: $VELTARA_SCREENSHOT_DIR,
// else the build's screenshots folder.
TEST_F(Program, PlaysAClipWithItsTrackOnTheMapAndTheChart) {
    // The user's settings, silent; the defaults fill in the rest.
    const std::string conf = home.path() + "Documents/Veltara DVR Player/conf/";
    std::filesystem::create_directories(conf);
    std::ofstream(conf + "Tavimoor.ini") << "[MPlayer]\nLanguage=english.ini\nLocale=Oversea\nMap=GoogleMap\n"
                                            "VO=directx:noaccel\nAO=null\nVolume=40\n";
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(700);
    spec.durationSeconds = 70.0;
    spec.width = 640;
    spec.height = 360;
    spec.withAudio = false;
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");

    platform::ChildProcess program;
    ASSERT_EQ(program.start({kProgram}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
    Drain output(program.stdoutFd());
    DriverConnection driver;
    ASSERT_TRUE(driver.connect(socketPath, 20s)) << output.join();

    QJsonObject dump;
    auto map = [&] { return dump["map"].toObject(); };
    // Points drawn before the page is ready would be lost.
    ASSERT_TRUE(waitForDump(driver, [](const QJsonObject& d) { return d["map"].toObject()["loaded"].toBool(); }, 30s,
                            dump));
    EXPECT_EQ(map()["page"].toString(), "GoogleMap_Oversea.html");

    EXPECT_TRUE(driver.ask("play " + clip)["ok"].toBool());
    // 70 kept texts (one in ten) and the last once more: two pages.
    const bool playing = waitForDump(
        driver,
        [](const QJsonObject& d) {
            return d["player"].toObject()["state"].toInt() == 3 && d["track"].toObject()["shownPages"].toInt() == 2 &&
                   d["map"].toObject()["marker"].isObject() &&
                   d["labels"].toObject()["LabelPositionStatus"].toString() == "GPS status: Valid fix";
        },
        30s, dump);
    ASSERT_TRUE(playing) << QJsonDocument(dump).toJson().toStdString();
    EXPECT_EQ(map()["linePoints"].toInt(), 71);
    const QJsonObject chart = dump["chart"].toObject();
    EXPECT_EQ(chart["X"].toInt(), 71);
    EXPECT_EQ(chart["Y"].toInt(), 71);
    EXPECT_EQ(chart["Z"].toInt(), 71);
    EXPECT_EQ(dump["sliders"].toObject()["sliderProgress"].toObject()["max"].toInt(), 70);
    EXPECT_TRUE(dump["visible"].toObject()["btnPause"].toBool());

    // A few seconds in: video, panel and marker have moved on.
    std::this_thread::sleep_for(3s);
    const std::string id = windowId("Veltara DVR Player");
    ASSERT_FALSE(id.empty());
    const std::string folder =
        std::getenv("VELTARA_SCREENSHOT_DIR") ? std::getenv("VELTARA_SCREENSHOT_DIR") : VELTARA_TEST_SCREENSHOT_DIR;
    std::filesystem::create_directories(folder);
    platform::ChildProcess import;
    ASSERT_EQ(import.start({"/usr/bin/import", "-window", id, folder + "/playing.png"},
                           {.workingDirectory = {}, .mergeStderrIntoStdout = true}),
              0);
    Drain importOutput(import.stdoutFd());
    EXPECT_EQ(import.waitFor(20s), 0) << importOutput.join();

    EXPECT_TRUE(driver.ask("quit")["ok"].toBool());
    EXPECT_EQ(program.waitFor(15s), 0);
    output.join();
    EXPECT_EQ(leftBehind(), "");  // no player, no converter
}

// A folder of three short clips: dropping the first plays it, each end
// starts the next, deleting the playing row starts the new current one, and
// the end of the last stops with Play shown.
TEST_F(Program, PlaysThroughThePlaylistOfADroppedClipsFolder) {
    const std::string conf = home.path() + "Documents/Veltara DVR Player/conf/";
    std::filesystem::create_directories(conf);
    std::ofstream(conf + "Tavimoor.ini") << "[MPlayer]\nLanguage=english.ini\nLocale=Oversea\nMap=GoogleMap\n"
                                            "VO=directx:noaccel\nAO=null\nVolume=40\n";
    const std::string folder = home.path() + "clips/";
    std::filesystem::create_directories(folder);
    const QStringList names{"2016_0520_1030_F.MP4", "2016_0520_1031_F.MP4", "2016_0520_1032_F.MP4"};
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(30);
    spec.durationSeconds = 3.0;
    spec.withAudio = false;
    for (const QString& name : names) ASSERT_EQ(testing_support::makeClip(folder + name.toStdString(), spec), "");

    platform::ChildProcess program;
    ASSERT_EQ(program.start({kProgram}, {.workingDirectory = {}, .mergeStderrIntoStdout = true}), 0);
    Drain output(program.stdoutFd());
    DriverConnection driver;
    ASSERT_TRUE(driver.connect(socketPath, 20s)) << output.join();

    QJsonObject dump;
    auto playing = [](const QJsonObject& d, int current, int rows) {
        const QJsonObject list = d["playlist"].toObject();
        return d["player"].toObject()["state"].toInt() == 3 && list["current"].toInt() == current &&
               list["rows"].toArray().size() == rows;
    };
    auto text = [&] { return QJsonDocument(dump).toJson().toStdString(); };

    EXPECT_TRUE(driver.ask("drop " + folder + names[0].toStdString())["ok"].toBool());
    ASSERT_TRUE(waitForDump(
        driver, [&](const QJsonObject& d) { return playing(d, 0, 3); }, 20s, dump))
        << text();
    const QJsonArray rows = dump["playlist"].toObject()["rows"].toArray();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(rows[i].toObject()["name"].toString(), names[i]);

    ASSERT_TRUE(waitForDump(
        driver, [&](const QJsonObject& d) { return playing(d, 1, 3); }, 15s, dump))
        << text();
    const qint64 secondPlayer = dump["player"].toObject()["pid"].toInteger();

    // The playing row goes: the row after it, now at its place, plays.
    EXPECT_TRUE(driver.ask("delete 1")["ok"].toBool());
    ASSERT_TRUE(waitForDump(
        driver,
        [&](const QJsonObject& d) {
            return playing(d, 1, 2) && d["player"].toObject()["pid"].toInteger() != secondPlayer;
        },
        15s, dump))
        << text();
    EXPECT_EQ(dump["playlist"].toObject()["rows"].toArray()[1].toObject()["name"].toString(), names[2]);

    ASSERT_TRUE(waitForDump(
        driver,
        [](const QJsonObject& d) {
            return d["player"].toObject()["state"].toInt() == 0 && d["visible"].toObject()["btnPlay"].toBool();
        },
        15s, dump))
        << text();
    EXPECT_FALSE(dump["visible"].toObject()["btnPause"].toBool());
    EXPECT_EQ(dump["playlist"].toObject()["current"].toInt(), 1);

    EXPECT_TRUE(driver.ask("quit")["ok"].toBool());
    EXPECT_EQ(program.waitFor(15s), 0);
    output.join();
    EXPECT_EQ(leftBehind(), "");
}
