#pragma once
// The program as a user starts it, in a real X server, driven through its
// test driver socket: start it with a fresh home and runtime folder, ask for
// dumps until a condition holds, capture the window, quit and check that
// nothing of it is left running.
//
// Threads: the test's own thread; Drain reads a child's output on a thread
// of its own. The fixture makes the test process a child subreaper, so
// whatever the program leaves running becomes our child and shows.
#include "platform/ChildProcess.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/types.h>
#include <QJsonObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace program_harness {

// The built program.
std::string programPath();

// Reads a child's output to its end, so a chatty child never blocks on it.
class Drain {
public:
    explicit Drain(int fd);
    ~Drain();
    const std::string& join();

private:
    std::string text_;
    std::thread thread_;
};

class DriverConnection {
public:
    ~DriverConnection();
    bool connect(const std::string& path, std::chrono::milliseconds limit);
    // One command, its JSON answer; an empty object when there is none.
    QJsonObject ask(const std::string& command);
    // Asks until the command succeeds or the limit passes; true when it did.
    bool askUntilDone(const std::string& command, std::chrono::milliseconds limit);

private:
    int fd_ = -1;
    std::string unread_;  // what came after the last answer's end
};

// xwininfo's tree of the X server's windows.
std::string windowTree();
// The id of the top-level window with that title, as xwininfo gives it; "" when none.
std::string windowId(const std::string& title);

// Every process of the system as /proc tells it.
struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    std::string label;  // "pid (name)"
};
std::vector<ProcessEntry> processes();

// What the program left behind: processes of its own that are still there
// after a short while (the web engine's helpers end a moment after it), as
// "name pid" lines. Those that ended meanwhile are reaped.
std::string leftBehind();

// Where screenshots for people go: $VELTARA_SCREENSHOT_DIR, else the build's folder.
std::string screenshotFolder();

// Compact text of a dump, for failure messages.
std::string text(const QJsonObject& dump);

class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The user's settings file, written before the start: silent audio, the
    // software video output, English, the Google map outside China, plus `extra` lines.
    void writeSettings(const std::string& extra = {});
    std::string settingsPath() const;
    // Starts the program from `program` (the built one when empty) and
    // connects to its driver; false with the program's output in `failure`.
    bool start(const std::string& program = {}, const std::vector<std::string>& arguments = {});
    // Asks for dumps until `done` holds or the time is up; `dump` is the last one.
    bool waitFor(const std::function<bool(const QJsonObject&)>& done, std::chrono::milliseconds limit);
    // Saves a picture of the main window (or the window of that title) under screenshotFolder().
    void capture(const std::string& fileName, const std::string& title = "Veltara DVR Player");
    // Quits through the close button: exit 0, no socket, nothing left running.
    void quitCleanly();
    // Waits for the program to end by itself (after a signal); its exit code.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    pid_t pid() const { return program_ ? program_->pid() : -1; }

    testing_support::TempFolder home;
    testing_support::TempFolder runtime;
    std::string socketPath;
    DriverConnection driver;
    QJsonObject dump;
    std::string failure;

private:
    std::unique_ptr<platform::ChildProcess> program_;
    std::unique_ptr<Drain> output_;
};

}  // namespace program_harness
