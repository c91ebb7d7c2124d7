#include "track/SubtitleExtractor.h"

#include "platform/ChildProcess.h"
#include "platform/Pipe.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/SeqPacketServer.h"
#include "track/SubtitleExtractorCommand.h"
#include "track/SubtitleExtractorConsole.h"
#include "track/TrackEvents.h"

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr auto kReadPause = 5ms;      // the pipe thread's look at the state while no message comes
constexpr auto kConsolePause = 50ms;  // the watcher's and the accept's
constexpr int kStopRounds = 10;       // stop waits 10 x 50 ms for the pipe thread
constexpr auto kConverterGrace = 500ms;
constexpr int kReapRounds = 40;  // a converter whose stream has ended gets 40 x 50 ms to exit
constexpr size_t kSlotText = kTrackTextSize - 1;

// When the socket runs dry the reader first naps without waiting on the
// socket: a reader that sleeps on it must be woken by every single message,
// which costs the converter more than the copying itself. The converter may
// queue only about 70 messages before it has to wait for the reader, so the
// nap adapts to its pace: about 20 to 40 messages should be waiting after one.
class DryNap {
public:
    void take() const { std::this_thread::sleep_for(std::chrono::microseconds(length_)); }
    void adapt(int messagesSinceLastNap) {
        if (messagesSinceLastNap >= 40)
            length_ = std::max(kShortest, length_ / 2);
        else if (messagesSinceLastNap > 0 && messagesSinceLastNap < 20)
            length_ = std::min(kLongest, length_ * 3 / 2);
    }

private:
    static constexpr long kShortest = 25, kLongest = 2000;  // microseconds
    long length_ = 250;
};

// Whether the child has ended, without reaping it: the owner's thread reaps,
// and only after this run's threads have been joined.
bool childHasEnded(pid_t pid) {
    if (pid <= 0) return true;
    siginfo_t info;
    std::memset(&info, 0, sizeof info);
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno != EINTR;
    return info.si_pid == pid;
}

// The whole slot is written, so no byte of an earlier text survives behind
// a shorter one (the batch processing skips leading zero bytes).
void fillSlot(TrackTextSlot& slot, const char* text, size_t length) {
    const size_t n = std::min(length, kSlotText);
    std::memcpy(slot.data(), text, n);
    std::memset(slot.data() + n, 0, kTrackTextSize - n);
}

}  // namespace

// What one run owns. Its threads touch nothing of a later run.
struct SubtitleExtractor::Run {
    platform::ChildProcess converter;
    platform::SeqPacketServer server;
    std::string socketPath;
    pid_t converterPid = 0;
    TrackSampling sampling = TrackSampling::Player;
    std::atomic<bool> quit{false};         // the owner is releasing the run: the pipe thread ends
    std::atomic<bool> quitConsole{false};  // the watcher ends even if the console stays open
    std::thread pipeThread;
    std::thread watcherThread;
};

std::string SubtitleExtractor::standardConverterPath() {
    return platform::programFolder() + "FFMpeg/ffmpeg";
}

SubtitleExtractor::SubtitleExtractor()
    : slots_(std::make_unique<Slots>()),
      processor_([this] { return state_.load() == EXTRACT_STOPPING; }, [this] { stopPending_.store(false); }) {
    processor_.setTarget(nullptr, kDefaultMessage);
}

SubtitleExtractor::~SubtitleExtractor() {
    stop();
}

void SubtitleExtractor::setConverterPath(std::string_view path) {
    converterPath_ = path;
}

void SubtitleExtractor::setExtraArguments(const char* arguments) {
    if (arguments == nullptr) return;
    extraArguments_ = std::string_view(arguments).substr(0, kExtraArgumentsLimit);
}

void SubtitleExtractor::setInputPath(std::string_view path) {
    inputPath_ = path;
}

void SubtitleExtractor::setSampling(TrackSampling sampling) {
    sampling_ = sampling;
}

void SubtitleExtractor::setTarget(platform::MessageTarget* target, uint32_t message) {
    message_.store(message);
    target_.store(target);
    processor_.setTarget(target, message);
}

void SubtitleExtractor::setStore(TrackStore* store) {
    processor_.setStore(store);
}

void SubtitleExtractor::setConversion(TrackMapConversion conversion) {
    processor_.setConversion(conversion);
}

void SubtitleExtractor::post(uintptr_t code) const {
    if (platform::MessageTarget* target = target_.load()) target->postMessage(message_.load(), code, 0);
}

bool SubtitleExtractor::stopping(const Run& run) const {
    return run.quit.load() || state_.load() == EXTRACT_STOPPING;
}

int SubtitleExtractor::start() {
    const int32_t state = state_.load();
    if (state == EXTRACT_STOPPING || state == EXTRACT_LAUNCHING) return 1;
    if (state != EXTRACT_IDLE) stop();
    reset();

    auto run = std::make_unique<Run>();
    run->sampling = sampling_;
    const std::string folder = platform::privateRuntimeFolder();
    static std::once_flag staleSweep;
    std::call_once(staleSweep, [&folder] { platform::SeqPacketServer::removeStale(folder, SOCKET_PREFIX); });
    run->socketPath = folder + platform::SeqPacketServer::uniqueName(SOCKET_PREFIX);
    // Without a socket the run still goes on and just yields no data.
    const int socketError = folder.empty() ? EACCES : run->server.listen(run->socketPath);
    const std::vector<std::string> arguments =
        converterArguments(converterPath_, inputPath_, extraArguments_, "unix:" + run->socketPath);
    {
        std::lock_guard lock(reportMutex_);
        report_ = RunReport{};
        report_.socketError = socketError;
        commandLine_ = converterCommandLine(converterPath_, inputPath_, extraArguments_, "unix:" + run->socketPath);
        commandArguments_ = arguments;
    }
    processor_.beginRun();

    state_.store(EXTRACT_LAUNCHING);
    platform::ChildProcess::Options options;
    options.mergeStderrIntoStdout = true;
    if (const int error = run->converter.start(arguments, options)) {
        run.reset();
        setIdle();
        return error;
    }
    run->converterPid = run->converter.pid();
    run->server.acceptOnly(run->converterPid);
    state_.store(EXTRACT_RUNNING);
    run_ = std::move(run);

    pipeThreadRunning_.store(false);
    try {
        run_->pipeThread = std::thread(&SubtitleExtractor::pipeThread, this, std::ref(*run_));
        run_->watcherThread = std::thread(&SubtitleExtractor::watcherThread, this, std::ref(*run_));
    } catch (const std::system_error&) {
        stop();
        return 1;
    }
    return 0;
}

int SubtitleExtractor::stop() {
    if (state_.load() == EXTRACT_IDLE) {
        reset();
        return 0;
    }
    stopPending_.store(true);
    bool commandFailed = false;
    const int32_t state = state_.load();
    if ((state == EXTRACT_LAUNCHING || state == EXTRACT_RUNNING) && run_ && run_->converter.stdinFd() >= 0)
        commandFailed = !run_->converter.writeStdin("q\n");
    state_.store(EXTRACT_STOPPING);
    // The pipe thread looks at the state at least every 50 ms, so this
    // normally ends early; the join in reset waits for the rest.
    for (int round = 0; round < kStopRounds && pipeThreadRunning_.load(); ++round)
        std::this_thread::sleep_for(kConsolePause);
    reset();
    if (commandFailed) post(TRACK_COMMAND_FAILED);
    return 0;
}

void SubtitleExtractor::reset() {
    if (run_) {
        run_->quit.store(true);
        if (run_->pipeThread.joinable()) run_->pipeThread.join();
        // Once the converter is gone the watcher reads its console to the
        // end, so the last lines (why a run gave nothing) are not lost.
        if (run_->converter.started()) run_->converter.terminate(kConverterGrace);
        run_->quitConsole.store(true);
        if (run_->watcherThread.joinable()) run_->watcherThread.join();
        run_.reset();  // closes the console pipes and the socket, removes its file
    }
    sawSubtitleStream_.store(false);
    sawCameraMarker_.store(false);
    setIdle();
}

void SubtitleExtractor::setIdle() {
    {
        std::lock_guard lock(idleMutex_);
        state_.store(EXTRACT_IDLE);
    }
    idle_.notify_all();
}

bool SubtitleExtractor::waitUntilIdle(std::chrono::milliseconds limit) const {
    std::unique_lock lock(idleMutex_);
    return idle_.wait_for(lock, limit, [this] { return state_.load() == EXTRACT_IDLE; });
}

std::string SubtitleExtractor::commandLine() const {
    std::lock_guard lock(reportMutex_);
    return commandLine_;
}

std::vector<std::string> SubtitleExtractor::commandArguments() const {
    std::lock_guard lock(reportMutex_);
    return commandArguments_;
}

std::string SubtitleExtractor::socketPath() const {
    return run_ ? run_->socketPath : std::string();
}

SubtitleExtractor::RunReport SubtitleExtractor::report() const {
    std::lock_guard lock(reportMutex_);
    return report_;
}

void SubtitleExtractor::pipeThread(Run& run) {
    pipeThreadRunning_.store(true);
    const bool connected = run.server.listening() && waitForClient(run);
    {
        std::lock_guard lock(reportMutex_);
        report_.connected = connected;
    }
    if (connected) {
        progress_.fetch_add(1, std::memory_order_relaxed);
        readerLoop(run);
    }
    run.server.close();
    // The owner reaps only after joining this thread, so until then the
    // converter is this thread's to wait for: it is reaped as soon as it ends.
    for (int round = 0; round < kReapRounds && !stopping(run); ++round)
        if (run.converter.waitFor(kConsolePause)) break;
    pipeThreadRunning_.store(false);

    // The run has ended by itself unless a stop is under way.
    {
        std::lock_guard lock(idleMutex_);
        int32_t expected = EXTRACT_RUNNING;
        if (state_.compare_exchange_strong(expected, EXTRACT_IDLE)) {
            sawSubtitleStream_.store(false);
            sawCameraMarker_.store(false);
        }
    }
    idle_.notify_all();
}

bool SubtitleExtractor::waitForClient(Run& run) {
    for (;;) {
        if (stopping(run)) return false;
        // Looked at before the last accept: a converter that connected before
        // it ended is already queued then.
        const bool converterEnded = childHasEnded(run.converterPid);
        switch (run.server.accept(converterEnded ? 0ms : std::chrono::milliseconds(kConsolePause))) {
            case platform::SeqPacketServer::Wait::Ready:
                return true;
            case platform::SeqPacketServer::Wait::Failed:
                return false;
            case platform::SeqPacketServer::Wait::TimedOut:
                if (converterEnded) return false;
                break;
        }
    }
}

void SubtitleExtractor::readerLoop(Run& run) {
    Slots& slots = *slots_;
    char buffer[platform::SeqPacketServer::kMaxMessage];
    size_t lastLength = 0;  // of the last read; 0 after a failed one
    int keepCounter = 0;
    size_t slotIndex = 0;
    int32_t batchCount = 0;
    uint64_t messages = 0;
    bool readFailed = false;
    bool stopped = false;
    const bool everyMessage = run.sampling == TrackSampling::All;

    // Reads as long as messages are queued; when none is, naps once and then
    // waits on the socket, 5 ms at a time so a stop is seen.
    DryNap nap;
    bool napped = false;
    int sinceNap = 0;
    while (!stopping(run)) {
        size_t length = 0;
        const auto got = run.server.receive(buffer, sizeof buffer, length);
        if (got == platform::SeqPacketServer::Receive::Ended) break;
        if (got == platform::SeqPacketServer::Receive::Failed) {
            lastLength = 0;
            readFailed = true;
            break;
        }
        if (got == platform::SeqPacketServer::Receive::Empty) {
            if (!napped) {
                nap.adapt(sinceNap);
                nap.take();
                napped = true;
                sinceNap = 0;
            } else if (run.server.waitReadable(kReadPause) == platform::SeqPacketServer::Wait::Failed) {
                break;
            }
            continue;
        }
        napped = false;
        ++sinceNap;
        progress_.fetch_add(1, std::memory_order_relaxed);
        lastLength = length;
        ++messages;
        if (everyMessage || keepCounter == 0) {
            fillSlot(slots[slotIndex], buffer, length);
            if (++slotIndex == kTrackBatchSlots) {
                ++batchCount;
                slotIndex = 0;
                if (processor_.processBatch(batchCount - 1, slots) == -1) {
                    stopped = true;
                    break;
                }
            }
        }
        keepCounter = (keepCounter + 1) % kKeepEvery;
    }

    if (!stopped) {
        if (slotIndex > 0) ++batchCount;
        if (batchCount == 0) {
            post(TRACK_FIRST_BATCH_DONE);
        } else if (slotIndex > 0) {
            // The player's track always ends with the last text read.
            if (!everyMessage) fillSlot(slots[slotIndex++], buffer, lastLength);
            processor_.processBatch(batchCount - 1, std::span<const TrackTextSlot>(slots.data(), slotIndex));
        }
    }
    std::lock_guard lock(reportMutex_);
    report_.messages = messages;
    report_.readFailed = readFailed;
}

void SubtitleExtractor::watcherThread(Run& run) {
    SubtitleExtractorConsole console;
    const int fd = run.converter.stdoutFd();
    char buffer[4096];
    bool subtitleMark = false, cameraMark = false;
    // It drains the console to its end, so the converter never blocks on it
    // nor sees its console writes fail. Once released it still reads what
    // is there (a bounded amount, should something else hold the console
    // open and keep writing), but waits no more.
    int readsAfterRelease = 0;
    while (state_.load() != EXTRACT_STOPPING) {
        const bool released = run.quitConsole.load();
        if (released && ++readsAfterRelease > 16) break;
        if (!platform::waitReadable(fd, released ? 0ms : std::chrono::milliseconds(kConsolePause))) {
            if (released) break;
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        console.feed(buffer, static_cast<size_t>(n));
        // Each mark once, so a run that has ended and cleared them keeps them clear.
        if (console.sawSubtitleStream() && !subtitleMark) sawSubtitleStream_.store(subtitleMark = true);
        if (console.sawCameraMarker() && !cameraMark) sawCameraMarker_.store(cameraMark = true);
    }
    console.finish();
    std::lock_guard lock(reportMutex_);
    report_.sawInput = console.sawInput();
    report_.sawVideo = console.sawVideo();
    report_.sawAnySubtitle = console.sawAnySubtitle();
    report_.lastConsoleLine = console.lastLine();
}
