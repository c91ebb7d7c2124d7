// A stand-in for the player engine in tests: it speaks the slave protocol
// from a script, so tests can produce output lines the real engine never
// prints, and it records what it receives.
//
// Usage: ScriptedPlayer <script file> [options...] — the script file stands
// where the media file stands on the player's command line. It writes:
//   <script>.args  the working folder and every argument, each ended by a zero byte;
//   <script>.log   every command line received, one a line, as it arrives.
//
// Script lines:
//   say TEXT          print TEXT and a line feed
//   write TEXT        print TEXT with \n, \r and \\ decoded, nothing added
//   log TEXT          the same on standard error (where the engine's log goes)
//   sleep MS          answer commands for MS milliseconds
//   wait COMMAND      answer commands until COMMAND arrives (exit 3 after 10 s)
//   on COMMAND=TEXT   from now on answer COMMAND with TEXT and a line feed
//   flood MS TEXT     print TEXT lines as fast as possible for MS milliseconds
//   ignore-quit       from now on "quit" does nothing
//   close-input       close standard input: commands fail from now on
//   exit CODE         end at once, without a word
// After the script it answers commands until "quit" (which prints
// "ID_EXIT=QUIT") or the end of its input.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::string logPath;
std::map<std::string, std::string> answers;
bool ignoreQuit = false;
bool inputClosed = false;
std::string pendingInput;

void out(const std::string& text, int fd = STDOUT_FILENO) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::_Exit(4);
        done += static_cast<size_t>(n);
    }
}

void record(const std::string& command) {
    const int fd = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string line = command + "\n";
    (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

// Handles one command; true when it was `awaited`.
bool handle(const std::string& command, const std::string& awaited) {
    record(command);
    if (command == "quit" && !ignoreQuit) {
        out("ID_EXIT=QUIT\n");
        std::_Exit(0);
    }
    if (auto it = answers.find(command); it != answers.end()) out(it->second + "\n");
    return !awaited.empty() && command == awaited;
}

// Answers commands until the deadline or until `awaited` arrives (true).
// A deadline already past still takes in what is waiting.
bool pump(Clock::time_point deadline, const std::string& awaited) {
    for (;;) {
        size_t end;
        while ((end = pendingInput.find('\n')) != std::string::npos) {
            const std::string command = pendingInput.substr(0, end);
            pendingInput.erase(0, end + 1);
            if (handle(command, awaited)) return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (inputClosed) {
            if (left <= 0) return false;
            ::usleep(static_cast<useconds_t>(std::min<long long>(left, 100) * 1000));
            continue;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, 100)));
        if (r > 0) {
            char buffer[4096];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EINTR)) std::_Exit(0);  // the parent closed our input
            if (n > 0) {
                pendingInput.append(buffer, static_cast<size_t>(n));
                continue;
            }
        }
        if (left <= 0) return false;
    }
}

std::string decode(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            result += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            result += text[i];
        }
    }
    return result;
}

void writeArguments(const std::string& path, int argc, char** argv) {
    std::string contents;
    char cwd[4096];
    contents += ::getcwd(cwd, sizeof cwd) ? cwd : "?";
    contents += '\0';
    for (int i = 0; i < argc; ++i) {
        contents += argv[i];
        contents += '\0';
    }
    std::ofstream(path, std::ios::binary) << contents;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string script = argv[1];
    logPath = script + ".log";
    writeArguments(script + ".args", argc, argv);
    std::ifstream in(script);
    if (!in) return 2;

    std::string line;
    while (std::getline(in, line)) {
        const size_t blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        if (verb == "say") {
            out(rest + "\n");
        } else if (verb == "write") {
            out(decode(rest));
        } else if (verb == "log") {
            out(decode(rest), STDERR_FILENO);
        } else if (verb == "sleep") {
            pump(Clock::now() + std::chrono::milliseconds(std::atoi(rest.c_str())), "");
        } else if (verb == "wait") {
            if (!pump(Clock::now() + std::chrono::seconds(10), rest)) return 3;
        } else if (verb == "on") {
            const size_t equals = rest.find('=');
            if (equals != std::string::npos) answers[rest.substr(0, equals)] = rest.substr(equals + 1);
        } else if (verb == "flood") {
            const size_t space = rest.find(' ');
            const auto until = Clock::now() + std::chrono::milliseconds(std::atoi(rest.substr(0, space).c_str()));
            const std::string text = rest.substr(space + 1) + "\n";
            while (Clock::now() < until) {
                out(text);
                pump(Clock::now(), "");
            }
        } else if (verb == "ignore-quit") {
            ignoreQuit = true;
        } else if (verb == "close-input") {
            ::close(STDIN_FILENO);
            inputClosed = true;
        } else if (verb == "exit") {
            std::_Exit(std::atoi(rest.c_str()));
        }
    }
    for (;;) pump(Clock::now() + std::chrono::hours(1), "");
    return 0;
}
