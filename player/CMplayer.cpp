#include "player/CMplayer.h"

#include "platform/FileSystem.h"
#include "platform/Pipe.h"
#include "platform/TickCount.h"
#include "player/PlayerLineParser.h"
#include "player/PlayerOutputSplitter.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <system_error>

using namespace std::chrono_literals;

namespace {

constexpr auto kPollInterval = 50ms;
constexpr uint32_t kSubtitleLogInterval = 500;  // ms
constexpr auto kExitGrace = 500ms;
// A clip whose open blocks (a FIFO, a hung mount) must not hold the player:
// after this long without its first frame it counts as played to its end.
constexpr uint32_t kStartLimit = 10000;  // ms
constexpr size_t kMaxCommand = 62;  // 64 bytes with the line feed and a terminator

}  // namespace

CMplayer::CMplayer() = default;

CMplayer::~CMplayer() {
    Stop();
}

// ---- Set-up ----

void CMplayer::SetPlayerPath(std::string_view path) {
    std::lock_guard lock(settingsMutex_);
    playerPath_ = path;
}

void CMplayer::SetWorkDir(std::string_view folder) {
    std::lock_guard lock(settingsMutex_);
    workDir_ = folder;
}

void CMplayer::SetMediaFile(std::string_view path) {
    std::lock_guard lock(settingsMutex_);
    mediaFile_ = path;
}

void CMplayer::SetPartnerFile(std::string_view path) {
    std::lock_guard lock(settingsMutex_);
    partnerFile_ = path;
}

void CMplayer::SetCameraFiles(std::vector<std::string> cameras) {
    std::lock_guard lock(settingsMutex_);
    cameraFiles_ = std::move(cameras);
}

std::vector<std::string> CMplayer::GetCameraFiles() const {
    std::lock_guard lock(settingsMutex_);
    return cameraFiles_;
}

std::string CMplayer::GetLargeCamera() const {
    std::lock_guard lock(settingsMutex_);
    return largeCamera_;
}

std::string CMplayer::GetMediaFile() const {
    std::lock_guard lock(settingsMutex_);
    return mediaFile_;
}

std::string CMplayer::GetPartnerFile() const {
    std::lock_guard lock(settingsMutex_);
    return partnerFile_;
}

std::string CMplayer::GetCameraLayout() const {
    std::lock_guard lock(settingsMutex_);
    return cameraLayout_;
}

bool CMplayer::IsPartnerMirrored() const {
    std::lock_guard lock(settingsMutex_);
    return mirrorPartner_;
}

void CMplayer::SetNotifyWindow(platform::MessageTarget* target, uint32_t message) {
    notifyMessage_.store(message);
    notifyTarget_.store(target);
}

void CMplayer::SetVideoWindow(int64_t window) {
    std::lock_guard lock(settingsMutex_);
    videoWindow_ = window;
}

void CMplayer::SetVideoOut(std::string_view output) {
    if (output.empty()) return;
    std::lock_guard lock(settingsMutex_);
    videoOutput_ = output;
}

void CMplayer::SetAudioOut(std::string_view output) {
    if (output.empty()) return;
    std::lock_guard lock(settingsMutex_);
    audioOutput_ = output;
}

void CMplayer::SetSoundDevice(int32_t device) {
    std::lock_guard lock(settingsMutex_);
    soundDevice_ = device;
}

void CMplayer::SetExtraOptions(std::string_view options) {
    std::lock_guard lock(settingsMutex_);
    extraOptions_ = options;
}

void CMplayer::SetSubtitleCallback(SubtitleCallback callback) {
    if (!callback) return;
    std::lock_guard lock(settingsMutex_);
    subtitleCallback_ = std::move(callback);
}

void CMplayer::SetPositionCallback(PositionCallback callback) {
    if (!callback) return;
    std::lock_guard lock(settingsMutex_);
    positionCallback_ = std::move(callback);
}

void CMplayer::SetLiveFromPosition(LiveFromPosition check) {
    if (!check) return;
    std::lock_guard lock(settingsMutex_);
    liveFromPosition_ = std::move(check);
}

bool CMplayer::liveFromPosition() const {
    LiveFromPosition check;
    {
        std::lock_guard lock(settingsMutex_);
        check = liveFromPosition_;
    }
    return check && check();
}

PlayerCommandLine CMplayer::commandLine() const {
    std::lock_guard lock(settingsMutex_);
    PlayerCommandLine line;
    line.playerPath = playerPath_;
    line.mediaFile = mediaFile_;
    line.videoWindow = videoWindow_;
    line.videoOutput = videoOutput_;
    line.audioOutput = audioOutput_;
    line.soundDevice = soundDevice_;
    line.volume = volume_.load();
    line.muted = muted_.load();
    line.extraOptions = extraOptions_;
    line.partnerFile = partnerFile_;
    line.cameraLayout = cameraLayout_;
    line.mirrorPartner = mirrorPartner_;
    line.cameraFiles = cameraFiles_;
    line.largeCamera = largeCamera_;
    return line;
}

std::string CMplayer::GetCommandLine() const {
    return commandLine().text();
}

std::string CMplayer::GetWorkDir() const {
    std::lock_guard lock(settingsMutex_);
    return workDir_;
}

std::string CMplayer::GetScreenshotName() const {
    std::lock_guard lock(textMutex_);
    return screenshotName_;
}

std::string CMplayer::GetSubtitleText() const {
    std::lock_guard lock(textMutex_);
    return subtitleText_;
}

// ---- Process control ----

bool CMplayer::onReaderThread() const {
    return readerId_.load() == std::this_thread::get_id();
}

int CMplayer::Start() {
    if (onReaderThread()) return 1;
    std::lock_guard control(controlMutex_);
    stopLocked();

    const PlayerCommandLine line = commandLine();
    const std::string workDir = GetWorkDir();
    state_.store(PlayerState::Starting);
    if (!workDir.empty() && !platform::isDirectory(workDir)) platform::makeDirectory(workDir);

    auto process = std::make_unique<platform::ChildProcess>();
    platform::ChildProcess::Options options;
    options.workingDirectory = workDir;
    // Only protocol lines may reach the parser: the engine's log (which
    // quotes file names and contents) goes to our standard error instead.
    options.inheritStderr = true;
    if (const int rc = process->start(line.arguments(), options)) {
        state_.store(PlayerState::Idle);
        return rc;
    }
    // Our own copy of the input end, non-blocking: a player that stops
    // reading makes a command fail instead of hanging the caller.
    const int input = ::fcntl(process->stdinFd(), F_DUPFD_CLOEXEC, 0);
    if (input < 0) {
        const int error = errno;
        process->kill();
        state_.store(PlayerState::Idle);
        return error;
    }
    ::fcntl(input, F_SETFL, ::fcntl(input, F_GETFL) | O_NONBLOCK);
    process->closeStdin();
    {
        std::lock_guard lock(inputMutex_);
        inputFd_ = input;
    }
    processId_.store(static_cast<uint32_t>(process->pid()));
    process_ = std::move(process);
    session_.fetch_add(1);

    try {
        reader_ = std::thread([this] { readerMain(); });
    } catch (const std::system_error&) {
        stopLocked();
        return 1;
    }
    return 0;
}

int CMplayer::Stop() {
    if (onReaderThread()) return 1;
    std::lock_guard control(controlMutex_);
    stopLocked();
    return 0;
}

void CMplayer::stopLocked() {
    if (!process_ && !reader_.joinable()) return;
    // The reader stops parsing once it sees Stopping, so a process being
    // stopped posts nothing more.
    if (beginStop()) writeInput("quit\n");
    if (reader_.joinable()) reader_.join();
    cleanUpProcess();
}

bool CMplayer::beginStop() {
    PlayerState state = state_.load();
    while (state != PlayerState::Idle && state != PlayerState::Stopping)
        if (state_.compare_exchange_weak(state, PlayerState::Stopping)) return true;
    return false;
}

void CMplayer::cleanUpProcess() {
    closeInput();
    if (process_) {
        process_->terminate(kExitGrace);
        process_.reset();
    }
    processId_.store(0);
    resetValues();
    state_.store(PlayerState::Idle);
}

void CMplayer::resetValues() {
    length_.store(0.0);
    aspect_.store(0.0);
    width_.store(0);
    height_.store(0);
    position_.store(0);
    positionMs_.store(0);
    seekPending_.store(false);
    partnerPlaying_.store(false);
}

CMplayer::WriteResult CMplayer::writeInput(std::string_view text) {
    std::lock_guard lock(inputMutex_);
    if (inputFd_ < 0) return WriteResult::Closed;
    return platform::writeAllNoSigpipe(inputFd_, text) ? WriteResult::Written : WriteResult::Failed;
}

void CMplayer::closeInput() {
    std::lock_guard lock(inputMutex_);
    if (inputFd_ >= 0) ::close(inputFd_);
    inputFd_ = -1;
}

void CMplayer::post(uintptr_t code) const {
    if (platform::MessageTarget* target = notifyTarget_.load()) target->postMessage(notifyMessage_.load(), code, 0);
}

// ---- Commands ----

int CMplayer::SendCommand(std::string_view command, bool report) {
    if (command.size() > kMaxCommand || command.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return 1;
    const PlayerState state = state_.load();
    if (state == PlayerState::Idle || state == PlayerState::Stopping) return 1;
    const uint64_t session = session_.load();
    std::string line(command);
    line += '\n';
    switch (writeInput(line)) {
        case WriteResult::Written:
            return 0;
        case WriteResult::Closed:
            return 1;
        case WriteResult::Failed:
            break;
    }
    if (!report || !beginStop()) return 1;
    if (onReaderThread()) {
        post(PLAYER_PIPE_ERROR);  // the reader cleans up as it leaves
        return 1;
    }
    std::lock_guard control(controlMutex_);
    // A Start may have replaced the failed process meanwhile; its error is then stale.
    if (session_.load() != session) return 1;
    if (reader_.joinable()) reader_.join();
    cleanUpProcess();
    post(PLAYER_PIPE_ERROR);
    return 1;
}

int CMplayer::TogglePause() {
    switch (state_.load()) {
        case PlayerState::Playing: {
            SendCommand("get_time_pos", true);
            SendCommand("pause", true);
            PlayerState expected = PlayerState::Playing;
            state_.compare_exchange_strong(expected, PlayerState::Paused);
            break;
        }
        case PlayerState::Paused: {
            SendCommand("pause", true);
            PlayerState expected = PlayerState::Paused;
            if (!state_.compare_exchange_strong(expected, PlayerState::Playing)) break;
            if (!muted_.load())
                SetVolume(volume_.load());
            else
                SendCommand("mute 1", true);
            break;
        }
        default:
            break;
    }
    return 0;
}

int CMplayer::SetMute(bool muted) {
    if (state_.load() != PlayerState::Playing) {
        muted_.store(muted);  // the next start passes it as "-muteset"
        return 0;
    }
    SendCommand(muted ? "mute 1" : "mute 0", true);
    muted_.store(muted);
    if (!muted) SetVolume(volume_.load());
    return 0;
}

int CMplayer::SetVolume(int32_t volume) {
    volume = std::clamp(volume, 0, 100);
    volume_.store(volume);
    if (state_.load() == PlayerState::Playing && !muted_.load()) {
        char command[64];
        std::snprintf(command, sizeof command, "volume %d 1", volume);
        SendCommand(command, true);
    }
    return 0;
}

int CMplayer::Seek(int32_t seconds) {
    const PlayerState state = state_.load();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return 1;
    if (seconds < 0 || seconds > length_.load()) return 0;
    position_.store(seconds);
    positionMs_.store(int64_t{seconds} * 1000);
    // Set before the command goes out, so an answer already on its way is
    // the one dropped. Paused, no answer is on its way, and the next one is
    // the new frame's.
    seekPending_.store(state == PlayerState::Playing);
    char command[64];
    std::snprintf(command, sizeof command, "seek %d 2", seconds);
    return SendCommand(command, true);
}

int CMplayer::TakeScreenshot() {
    const PlayerState state = state_.load();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return 1;
    return SendCommand("screenshot 0", true);
}

uint32_t CMplayer::subtitleLogInterval() const {
    // Every half second of the clip when played faster, so the panel and the
    // car keep up at 4 ×; slower speeds keep the half second of real time.
    const double speed = std::max(1.0, speed_.load());
    return static_cast<uint32_t>(kSubtitleLogInterval / speed);
}

int CMplayer::SetSpeed(double factor) {
    if (!(factor > 0.0) || factor > 100.0) return 1;
    speed_.store(factor);
    const PlayerState state = state_.load();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return 0;
    char command[64];
    std::snprintf(command, sizeof command, "speed_set %.2f", factor);
    return SendCommand(command, true);
}

int CMplayer::SetCameraLayout(std::string_view layout, bool mirrorPartner) {
    if (layout.empty() || layout.size() > 16 || layout.find_first_of(" \t\r\n") != std::string_view::npos) return 1;
    {
        std::lock_guard lock(settingsMutex_);
        cameraLayout_ = layout;
        mirrorPartner_ = mirrorPartner;
    }
    if (!partnerPlaying_.load()) return 0;
    const PlayerState state = state_.load();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return 0;
    if (SendCommand(std::string("layout ") + std::string(layout), true) != 0) return 1;
    return SendCommand(mirrorPartner ? "mirror 1" : "mirror 0", true);
}

int CMplayer::SetLargeCamera(std::string_view channel) {
    if (channel.size() > 16 || channel.find_first_of(" \t\r\n") != std::string_view::npos) return 1;
    {
        std::lock_guard lock(settingsMutex_);
        largeCamera_ = channel;
    }
    if (channel.empty() || !partnerPlaying_.load()) return 0;
    const PlayerState state = state_.load();
    if (state != PlayerState::Playing && state != PlayerState::Paused) return 0;
    return SendCommand(std::string("large ") + std::string(channel), true);
}

int CMplayer::StepFrame(bool forward) {
    if (state_.load() != PlayerState::Paused) return 1;
    return SendCommand(forward ? "frame_step" : "frame_back_step", true);
}

// ---- Output reader ----

void CMplayer::readerMain() {
    readerId_.store(std::this_thread::get_id());
    platform::ChildProcess& process = *process_;
    const int output = process.stdoutFd();
    PlayerOutputSplitter splitter;
    const PlayerOutputSplitter::LineHandler onLine = [this](std::string_view text) {
        // Once the player has ended or a stop is under way, the rest is stale.
        if (state_.load() != PlayerState::Stopping) handleLine(PlayerLineParser::parse(text));
    };

    std::array<char, PlayerOutputSplitter::kMaxLine> buffer;
    uint32_t tickMark = 0;
    const uint32_t startTick = platform::tickCount();
    bool failed = false;
    while (state_.load() != PlayerState::Stopping) {
        const PlayerState state = state_.load();
        const uint32_t now = platform::tickCount();
        if (state == PlayerState::Starting && platform::ticksBetween(startTick, now) > kStartLimit) {
            PlayerState expected = PlayerState::Starting;
            if (state_.compare_exchange_strong(expected, PlayerState::Stopping)) post(PLAYER_EOF);
            break;
        }
        // Asked only while playing: before playback there is no current
        // text, and the empty answer would read as a clip without a track.
        if (state == PlayerState::Paused) {
            tickMark = now;
        } else if (state == PlayerState::Playing && platform::ticksBetween(tickMark, now) > subtitleLogInterval()) {
            // A failure shows on the output.
            writeInput(liveFromPosition() ? "get_time_pos\n" : "sub_log_static\n");
            tickMark = now;
        }
        if (!platform::waitReadable(output, kPollInterval)) continue;
        const ssize_t n = ::read(output, buffer.data(), buffer.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            splitter.finish(onLine);
            failed = true;
            break;
        }
        splitter.feed(std::string_view(buffer.data(), static_cast<size_t>(n)), onLine);
    }

    // Only the one who moves the state to Stopping reports the failure.
    const bool report = failed && beginStop();
    closeInput();
    process.terminate(kExitGrace);
    process.closeStdout();
    processId_.store(0);
    resetValues();
    state_.store(PlayerState::Idle);
    readerId_.store(std::thread::id());
    if (report) post(PLAYER_PIPE_ERROR);
}

void CMplayer::handleLine(const PlayerLine& line) {
    using Kind = PlayerLine::Kind;
    switch (line.kind) {
        case Kind::Ignored:
            break;
        case Kind::SubtitleText: {
            if (liveFromPosition()) break;
            {
                std::lock_guard lock(textMutex_);
                subtitleText_ = line.text;
            }
            SubtitleCallback callback;
            {
                std::lock_guard lock(settingsMutex_);
                callback = subtitleCallback_;
            }
            if (callback) callback(line.text, static_cast<int32_t>(processId_.load()));
            break;
        }
        case Kind::NoSubtitle:
            if (!liveFromPosition()) post(PLAYER_NO_SUBTITLE);
            break;
        case Kind::TimePosition: {
            if (seekPending_.exchange(false)) break;
            position_.store(line.integer);
            const int64_t ms = std::llround(std::clamp(line.number, 0.0, 1e9) * 1000.0);
            positionMs_.store(ms);
            post(PLAYER_TIME);
            PositionCallback callback;
            {
                std::lock_guard lock(settingsMutex_);
                callback = positionCallback_;
            }
            if (callback) callback(ms, static_cast<int32_t>(processId_.load()));
            break;
        }
        case Kind::VideoWidth:
            width_.store(line.integer);
            break;
        case Kind::VideoHeight:
            height_.store(line.integer);
            break;
        case Kind::VideoAspect: {
            double aspect = line.number;
            const int32_t height = height_.load();
            if (aspect == 0.0 && height != 0) aspect = static_cast<double>(width_.load()) / height;
            aspect_.store(aspect);
            post(PLAYER_ASPECT);
            break;
        }
        case Kind::Length:
            length_.store(line.number);
            break;
        case Kind::Speed:
            if (line.number > 0.0) speed_.store(line.number);
            break;
        case Kind::Started: {
            PlayerState expected = PlayerState::Starting;
            state_.compare_exchange_strong(expected, PlayerState::Playing);
            // Each clip starts at normal speed; the chosen one carries on.
            if (const double speed = speed_.load(); speed != 1.0) {
                char command[64];
                std::snprintf(command, sizeof command, "speed_set %.2f\n", speed);
                writeInput(command);
            }
            post(PLAYER_STARTED);
            break;
        }
        case Kind::Screenshot: {
            std::lock_guard lock(textMutex_);
            screenshotName_ = line.text;
        }
            post(PLAYER_SCREENSHOT);
            break;
        case Kind::PartnerPlaying:
            partnerPlaying_.store(true);
            break;
        case Kind::PartnerFailed:
            partnerPlaying_.store(false);
            post(PLAYER_PARTNER_FAILED);
            break;
        case Kind::CameraLayout:
            post(PLAYER_LAYOUT);
            break;
        case Kind::NoSoundOutput:
            post(PLAYER_NO_SOUND);
            break;
        case Kind::ExitQuit:
            state_.store(PlayerState::Stopping);
            post(PLAYER_QUIT);
            break;
        case Kind::ExitEof:
            state_.store(PlayerState::Stopping);
            post(PLAYER_EOF);
            break;
    }
}
