#include "support/ProgramHarness.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QJsonDocument>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

namespace program_harness {

std::string programPath() {
    return std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-dvr-player";
}

Drain::Drain(int fd)
    : thread_([fd, this] {
          char chunk[4096];
          ssize_t n;
          while ((n = ::read(fd, chunk, sizeof chunk)) > 0) text_.append(chunk, static_cast<size_t>(n));
      }) {}

Drain::~Drain() {
    join();
}

const std::string& Drain::join() {
    if (thread_.joinable()) thread_.join();
    return text_;
}

DriverConnection::~DriverConnection() {
    if (fd_ >= 0) ::close(fd_);
}

bool DriverConnection::connect(const std::string& path, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    unread_.clear();
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

bool DriverConnection::askUntilDone(const std::string& command, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!ask(command)["ok"].toBool()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

QJsonObject DriverConnection::ask(const std::string& command) {
    if (fd_ < 0) return {};
    const std::string line = command + "\n";
    if (::send(fd_, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) return {};
    // Read in blocks: a dump of a long trip is many kilobytes, and a call
    // per byte would time the test's reading, not the window's answer.
    size_t end;
    pollfd p{fd_, POLLIN, 0};
    while ((end = unread_.find('\n')) == std::string::npos) {
        char block[65536];
        const ssize_t n = ::poll(&p, 1, 5000) > 0 ? ::read(fd_, block, sizeof block) : -1;
        if (n <= 0) {
            unread_.clear();
            return {};
        }
        unread_.append(block, static_cast<size_t>(n));
    }
    const std::string answer = unread_.substr(0, end);
    unread_.erase(0, end + 1);
    return QJsonDocument::fromJson(QByteArray::fromStdString(answer)).object();
}

std::string windowTree() {
    platform::ChildProcess xwininfo;
    if (xwininfo.start({"/usr/bin/xwininfo", "-root", "-tree"}) != 0) return {};
    Drain out(xwininfo.stdoutFd());
    xwininfo.waitFor(5s);
    return out.join();
}

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

std::vector<ProcessEntry> processes() {
    std::vector<ProcessEntry> result;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        ProcessEntry process;
        rest >> state >> process.parent;
        process.pid = static_cast<pid_t>(std::stol(name));
        process.label = line.substr(0, line.rfind(')') + 1);
        result.push_back(process);
    }
    return result;
}

std::string leftBehind() {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (true) {
        siginfo_t info{};
        if (::waitid(P_ALL, 0, &info, WEXITED | WNOHANG) != 0) return {};  // ECHILD: no child at all
        if (info.si_pid != 0) continue;                                    // one ended and is reaped
        if (std::chrono::steady_clock::now() >= end) break;
        std::this_thread::sleep_for(50ms);
    }
    std::string running;
    for (const ProcessEntry& process : processes())
        if (process.parent == ::getpid()) running += process.label + "\n";
    return running;
}

std::string screenshotFolder() {
    const char* chosen = std::getenv("VELTARA_SCREENSHOT_DIR");
    return chosen ? chosen : VELTARA_TEST_SCREENSHOT_DIR;
}

std::string text(const QJsonObject& dump) {
    return QJsonDocument(dump).toJson(QJsonDocument::Compact).toStdString();
}

void ProgramFixture::SetUp() {
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

void ProgramFixture::TearDown() {
    // A test that failed half-way must not leave the program running.
    if (program_ && !program_->waitFor(0ms)) program_->kill();
    output_.reset();
    program_.reset();
}

std::string ProgramFixture::settingsPath() const {
    return home.path() + "Documents/Veltara DVR Player/conf/Tavimoor.ini";
}

void ProgramFixture::writeSettings(const std::string& extra) {
    std::filesystem::create_directories(std::filesystem::path(settingsPath()).parent_path());
    std::ofstream(settingsPath()) << "[MPlayer]\nLanguage=english.ini\nLocale=Oversea\nMap=GoogleMap\n"
                                     "VO=directx:noaccel\nAO=null\nVolume=40\n"
                                  << extra;
}

bool ProgramFixture::start(const std::string& program, const std::vector<std::string>& arguments) {
    program_ = std::make_unique<platform::ChildProcess>();
    const std::string path = program.empty() ? programPath() : program;
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (program_->start(argv, {.workingDirectory = {}, .mergeStderrIntoStdout = true}) != 0) {
        failure = "cannot start " + path;
        return false;
    }
    output_ = std::make_unique<Drain>(program_->stdoutFd());
    if (driver.connect(socketPath, 20s)) return true;
    program_->kill();
    failure = output_->join();
    return false;
}

bool ProgramFixture::waitFor(const std::function<bool(const QJsonObject&)>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        dump = driver.ask("dump");
        if (done(dump)) return true;
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

void ProgramFixture::capture(const std::string& fileName, const std::string& title) {
    const std::string id = windowId(title);
    ASSERT_FALSE(id.empty());
    std::filesystem::create_directories(screenshotFolder());
    platform::ChildProcess import;
    ASSERT_EQ(import.start({"/usr/bin/import", "-window", id, screenshotFolder() + "/" + fileName},
                           {.workingDirectory = {}, .mergeStderrIntoStdout = true}),
              0);
    Drain importOutput(import.stdoutFd());
    EXPECT_EQ(import.waitFor(20s), 0) << importOutput.join();
}

void ProgramFixture::quitCleanly() {
    ASSERT_TRUE(program_);
    EXPECT_TRUE(driver.ask("quit")["ok"].toBool());
    EXPECT_EQ(program_->waitFor(15s), 0);
    const std::string output = output_->join();
    struct stat info {};
    EXPECT_NE(::lstat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(leftBehind(), "") << output;
}

}  // namespace program_harness

namespace program_harness {

std::optional<int> ProgramFixture::waitForExit(std::chrono::milliseconds limit) {
    if (!program_) return std::nullopt;
    const auto code = program_->waitFor(limit);
    if (code && output_) output_->join();
    return code;
}

}  // namespace program_harness
