#include "engine/Engine.h"

#include "engine/MpvSetup.h"
#include "engine/OutputWriter.h"
#include "engine/ProtocolLines.h"
#include "engine/SlaveCommand.h"

#include <mpv/client.h>

#include "engine/CameraGraph.h"

#include <sys/stat.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

namespace engine {

namespace {

// Tags of asynchronous requests, so each answer finds its way back.
constexpr uint64_t kTagPositionAnswer = 1;
constexpr uint64_t kTagPositionPeriodic = 2;
constexpr uint64_t kTagSubtitle = 3;
constexpr uint64_t kTagFirstShot = 1000;
constexpr double kMinSpeed = 0.25;
constexpr double kMaxSpeed = 4.0;
constexpr double kFallbackFps = 25.0;

// Text from outside goes to standard error as plain, printable text.
std::string printable(std::string_view text, size_t limit = 80) {
    std::string out;
    for (const char ch : text.substr(0, limit)) {
        const auto c = static_cast<unsigned char>(ch);
        out.push_back(c < 0x20 || c == 0x7f ? '?' : ch);
    }
    return out;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace

Engine::Engine(const EngineOptions& options, OutputWriter& out)
    : options_(options), out_(out), nextShotTag_(kTagFirstShot) {
    volume_ = options_.volume.value_or(100);
    layout_ = options_.layout;
    mirror_ = options_.mirrorPartner;
    large_ = options_.largeCamera;
    muted_ = options_.muted;
}

int Engine::run(int commandFd) {
    if (!configureMpv(mpv_, options_, out_)) {
        mpv_.destroy();
        out_.postFinal(lines::exitEof());
        return 1;
    }
    // libmpv reads "name://..." and "-" as protocols; "./" keeps a relative name a file.
    const std::string& file = options_.mediaFile;
    const std::string local = file.empty() || file.front() == '/' ? file : "./" + file;
    if (int rc = mpv_.command({"loadfile", local}); rc < 0) {
        out_.postError("Error: cannot play '" + printable(options_.mediaFile, 1024) +
                       "': " + MpvSession::errorText(rc));
        finish(Exit::Eof, 1);
    }

    while (exit_ == Exit::None) {
        pollfd fds[2] = {{mpv_.wakeupFd(), POLLIN, 0}, {commandFd, POLLIN, 0}};
        if (::poll(fds, 2, pollTimeoutMs()) < 0 && errno != EINTR) {
            out_.postError("Error: waiting for commands failed");
            finish(Exit::Quit, 1);
            break;
        }
        if (fds[0].revents & POLLIN) handleEvents();
        if (exit_ == Exit::None && (fds[1].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL))) {
            readCommands(commandFd);
        }
        if (exit_ == Exit::None && started_ && !paused_ && Clock::now() >= nextPosition_) {
            checkSoundOutput();
            if (windowResized()) fitToWindow();
            requestPosition(kTagPositionPeriodic);
            nextPosition_ = Clock::now() + kPositionInterval;
        }
    }
    mpv_.destroy();
    out_.postFinal(exit_ == Exit::Quit ? lines::exitQuit() : lines::exitEof());
    return exitCode_;
}

int Engine::pollTimeoutMs() const {
    if (!started_ || paused_) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(nextPosition_ - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, kPositionInterval.count()));
}

void Engine::readCommands(int fd) {
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    const auto onLine = [this](std::string_view line) {
        if (exit_ == Exit::None) handleCommand(parseSlaveCommand(line));
    };
    if (n > 0) {
        commands_.feed(std::string_view(buffer, static_cast<size_t>(n)), onLine);
        return;
    }
    // End of the command stream: whoever drove the engine is gone.
    commands_.finish(onLine);
    if (exit_ == Exit::None) finish(Exit::Quit, 0);
}

void Engine::finish(Exit exit, int code) {
    if (exit_ != Exit::None) return;
    exit_ = exit;
    exitCode_ = code;
}

void Engine::handleCommand(const SlaveCommand& c) {
    using Kind = SlaveCommand::Kind;
    switch (c.kind) {
        case Kind::Empty:
            break;
        case Kind::Unknown:
            out_.postError("Warning: unknown command '" + printable(c.name) + "'");
            break;
        case Kind::Invalid:
            out_.postError("Warning: bad arguments for '" + printable(c.name) + "'");
            break;
        case Kind::Quit:
            finish(Exit::Quit, c.exitCode);
            break;
        case Kind::Pause:
            paused_ = !paused_;
            // Playing again, the periodic positions and text requests take over.
            if (!paused_) answerAfterRestart_ = false;
            mpv_.setFlagAsync("pause", paused_);
            nextPosition_ = Clock::now() + kPositionInterval;
            break;
        case Kind::GetTimePos:
            requestPosition(kTagPositionAnswer);
            break;
        case Kind::Volume:
            volume_ = std::clamp(c.absolute ? c.value : volume_ + c.value, 0.0, 100.0);
            mpv_.setDoubleAsync("volume", volume_);
            break;
        case Kind::Mute:
            muted_ = c.toggle ? !muted_ : c.on;
            mpv_.setFlagAsync("mute", muted_);
            break;
        case Kind::Seek:
            answerAfterRestart_ = paused_;
            switch (c.seekMode) {
                case SlaveCommand::SeekMode::Absolute:
                    // A negative absolute target would count from the end in libmpv.
                    mpv_.commandAsync(0, {"seek", number(std::max(c.value, 0.0)), "absolute"});
                    break;
                case SlaveCommand::SeekMode::Percent:
                    mpv_.commandAsync(0, {"seek", number(std::clamp(c.value, 0.0, 100.0)), "absolute-percent"});
                    break;
                case SlaveCommand::SeekMode::Relative:
                    mpv_.commandAsync(0, {"seek", number(c.value), "relative"});
                    break;
            }
            break;
        case Kind::Screenshot:
            takeScreenshot();
            break;
        case Kind::SubLogStatic:
            requestSubtitleText();
            break;
        case Kind::SpeedSet:
            setSpeed(c.value);
            break;
        case Kind::Layout:
            setLayout(c.layout, mirror_, large_);
            break;
        case Kind::Mirror:
            setLayout(layout_, c.on, large_);
            break;
        case Kind::Large:
            setLayout(layout_, mirror_, c.channel);
            break;
        case Kind::FrameStep:
        case Kind::FrameBackStep:
            stepFrame(c.kind == Kind::FrameStep);
            break;
    }
}

// libmpv keeps the pitch (its audio-pitch-correction) at every speed.
void Engine::setSpeed(double factor) {
    speed_ = std::clamp(factor, kMinSpeed, kMaxSpeed);
    mpv_.setDoubleAsync("speed", speed_);
    out_.post(lines::speed(speed_));
}

// Only a paused picture steps; playing, the next frame comes anyway.
void Engine::stepFrame(bool forward) {
    if (!started_ || !paused_) return;
    answerAfterRestart_ = true;
    if (forward) {
        // An exact seek by one frame shows the next one and, unlike libmpv's
        // own frame step, ends in a restart the answer can wait for.
        mpv_.commandAsync(0, {"seek", number(frameSeconds()), "relative+exact"});
    } else {
        mpv_.commandAsync(0, {"frame-back-step"});
    }
}

double Engine::frameSeconds() {
    double fps = 0;
    if ((mpv_.getDouble("container-fps", fps) && std::isfinite(fps) && fps >= 1) ||
        (mpv_.getDouble("estimated-vf-fps", fps) && std::isfinite(fps) && fps >= 1))
        return 1.0 / std::min(fps, 1000.0);
    return 1.0 / kFallbackFps;
}

// libmpv plays on without sound when no output opens; the program is told
// once, a moment after the start, when the clip has sound to play.
void Engine::checkSoundOutput() {
    if (soundChecked_) return;
    std::string ao, aid;
    if (mpv_.getString("current-ao", ao) && !ao.empty()) {
        soundChecked_ = true;
        return;
    }
    if (++soundChecks_ < 2) return;
    soundChecked_ = true;
    if (mpv_.getString("aid", aid) && aid != "no" && !aid.empty()) reportNoSound();
}

void Engine::reportNoSound() {
    if (noSoundReported_) return;
    noSoundReported_ = true;
    soundChecked_ = true;
    out_.post(lines::noSoundOutput());
}

void Engine::requestPosition(uint64_t tag) {
    mpv_.getAsync(tag, "time-pos", false);
}

void Engine::requestSubtitleText() {
    mpv_.getAsync(kTagSubtitle, "sub-text", true);
}

void Engine::takeScreenshot() {
    const std::string name = shots_.next();
    if (name.empty()) {
        out_.postError("Warning: no free snapshot name left");
        return;
    }
    const uint64_t tag = nextShotTag_++;
    pendingShots_[tag] = PendingShot{name};
    // "video": the decoded picture only, without subtitles or OSD.
    mpv_.commandAsync(tag, {"screenshot-to-file", name, "video"});
}

void Engine::reportScreenshots() {
    while (!pendingShots_.empty() && pendingShots_.begin()->second.done) {
        const PendingShot& shot = pendingShots_.begin()->second;
        if (shot.written) out_.post(lines::screenshotWritten(shot.name));
        pendingShots_.erase(pendingShots_.begin());
    }
}

void Engine::handleEvents() {
    mpv_.clearWakeup();
    while (exit_ == Exit::None) {
        const mpv_event* event = mpv_.nextEvent();
        if (!event) break;
        handleEvent(*event);
    }
}

void Engine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_FILE_LOADED:
            onFileLoaded();
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            onPlaybackRestart();
            break;
        case MPV_EVENT_VIDEO_RECONFIG:
            onVideoReconfig();
            break;
        case MPV_EVENT_GET_PROPERTY_REPLY:
        case MPV_EVENT_COMMAND_REPLY:
            onReply(event);
            break;
        case MPV_EVENT_LOG_MESSAGE: {
            const auto* log = static_cast<const mpv_event_log_message*>(event.data);
            std::string text = log->text;
            while (!text.empty() && text.back() == '\n') text.pop_back();
            out_.postError(std::string("[") + log->prefix + "] " + text);
            break;
        }
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (end->reason == MPV_END_FILE_REASON_EOF) {
                finish(Exit::Eof, 0);
            } else if (end->reason == MPV_END_FILE_REASON_ERROR && end->error == MPV_ERROR_AO_INIT_FAILED) {
                // No sound output is no fault of the clip or of its partner:
                // the picture played to its end without sound.
                reportNoSound();
                finish(Exit::Eof, 0);
            } else if (end->reason == MPV_END_FILE_REASON_ERROR && composing_) {
                // The two together failed: the main clip plays on alone.
                dropPartner(true);
            } else if (end->reason == MPV_END_FILE_REASON_ERROR) {
                // As the player did: a file that cannot be played ends like
                // any other, so the program goes on with the next clip.
                out_.postError("Error: cannot play '" + printable(options_.mediaFile, 1024) +
                               "': " + MpvSession::errorText(end->error));
                finish(Exit::Eof, 1);
            } else if (end->reason != MPV_END_FILE_REASON_REDIRECT) {
                finish(Exit::Quit, 0);
            }
            break;
        }
        case MPV_EVENT_SHUTDOWN:  // libmpv was told to quit another way (its own window closed)
            finish(Exit::Quit, 0);
            break;
        default:
            break;
    }
}

void Engine::onFileLoaded() {
    int64_t width = 0, height = 0;
    hasVideo_ = mpv_.getInt("width", width) && mpv_.getInt("height", height) && width > 0 && height > 0;
    if (hasVideo_) {
        out_.post(lines::videoWidth(width));
        out_.post(lines::videoHeight(height));
    }
    double duration = 0;
    mpv_.getDouble("duration", duration);
    out_.post(lines::length(duration));
    if (hasVideo_ && gridMode() && !partnerFailed_)
        addCameras();
    else if (hasVideo_ && !options_.partnerFile.empty() && !partnerFailed_)
        addPartner();
}

// The partner's rules hold for every camera; the main clip is the one playing.
void Engine::addCameras() {
    grid_.clear();
    GridCamera main;
    main.channel = cameras::CameraChannel::Front;
    for (const auto& camera : options_.cameraFiles)
        if (camera.path == options_.mediaFile) main.channel = camera.channel;
    grid_.push_back(main);
    for (const auto& camera : options_.cameraFiles) {
        if (camera.path == options_.mediaFile) continue;
        GridCamera added;
        added.channel = camera.channel;
        added.video = addVideoTrack(camera.path, added.width, added.height);
        grid_.push_back(added);
    }
    if (!applyLayout()) {
        out_.postError("Warning: the cameras cannot be composed");
        dropPartner(false);
        return;
    }
    out_.post(lines::partnerPlaying(true));
}

// The new external video track's id, or 0 (with a warning) when the file cannot be added.
long long Engine::addVideoTrack(const std::string& file, long long& width, long long& height) {
    struct stat st {};
    if (file.empty() || ::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        out_.postError("Warning: camera '" + printable(file, 1024) + "' is not a file to play");
        return 0;
    }
    const std::string local = file.front() == '/' ? file : "./" + file;
    if (int rc = mpv_.command({"video-add", local, "auto"}); rc < 0) {
        out_.postError("Warning: cannot play camera '" + printable(file, 1024) + "': " + MpvSession::errorText(rc));
        return 0;
    }
    int64_t count = 0;
    mpv_.getInt("track-list/count", count);
    long long found = 0;
    for (int64_t i = 0; i < std::min<int64_t>(count, 64); ++i) {
        const std::string prefix = "track-list/" + std::to_string(i) + "/";
        std::string type, external;
        int64_t id = 0, w = 0, h = 0;
        if (!mpv_.getString((prefix + "type").c_str(), type) || type != "video" ||
            !mpv_.getString((prefix + "external").c_str(), external) || external != "yes" ||
            !mpv_.getInt((prefix + "id").c_str(), id))
            continue;
        const bool known = std::any_of(grid_.begin(), grid_.end(), [id](const GridCamera& c) { return c.video == id; });
        if (known || id <= found) continue;
        found = id;
        mpv_.getInt((prefix + "demux-w").c_str(), w);
        mpv_.getInt((prefix + "demux-h").c_str(), h);
        width = w;
        height = h;
    }
    if (!found) out_.postError("Warning: camera '" + printable(file, 1024) + "' has no picture to show");
    return found;
}

// The partner is held to the main clip's rules (the format and protocol
// lists of the set-up apply to it too) and must be a regular file: a FIFO
// or a device would block the open.
void Engine::addPartner() {
    const std::string& file = options_.partnerFile;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        out_.postError("Warning: partner '" + printable(file, 1024) + "' is not a file to play");
        dropPartner(false);
        return;
    }
    const std::string local = file.front() == '/' ? file : "./" + file;
    if (int rc = mpv_.command({"video-add", local, "auto"}); rc < 0) {
        out_.postError("Warning: cannot play partner '" + printable(file, 1024) + "': " + MpvSession::errorText(rc));
        dropPartner(false);
        return;
    }
    int64_t count = 0;
    mpv_.getInt("track-list/count", count);
    for (int64_t i = 0; i < std::min<int64_t>(count, 64); ++i) {
        const std::string prefix = "track-list/" + std::to_string(i) + "/";
        std::string type, external;
        int64_t id = 0;
        if (mpv_.getString((prefix + "type").c_str(), type) && type == "video" &&
            mpv_.getString((prefix + "external").c_str(), external) && external == "yes" &&
            mpv_.getInt((prefix + "id").c_str(), id))
            partnerTrack_ = id;
    }
    if (partnerTrack_ <= 0 || !applyLayout()) {
        out_.postError("Warning: partner '" + printable(file, 1024) + "' has no picture to show");
        dropPartner(false);
        return;
    }
    out_.post(lines::partnerPlaying(true));
}

GridStyle Engine::gridStyle() {
    GridStyle style;
    style.mirrorRear = mirror_;
    style.labels = labels_;
    int64_t w = 0, h = 0;
    if (mpv_.getInt("osd-width", w) && mpv_.getInt("osd-height", h) && w > 0 && h > 0) {
        style.screenWidth = fittedWidth_ = w;
        style.screenHeight = fittedHeight_ = h;
    } else {
        style.screenWidth = options_.screenWidth;
        style.screenHeight = options_.screenHeight;
    }
    return style;
}

bool Engine::windowResized() {
    int64_t w = 0, h = 0;
    return gridMode() && composing_ && mpv_.getInt("osd-width", w) && mpv_.getInt("osd-height", h) && w > 0 &&
           h > 0 && (w != fittedWidth_ || h != fittedHeight_);
}

// The window's size is known once the video output opens, after the first
// graph was made: the grid is made again for it when its tiles would differ,
// and again after the window changed size (checked twice a second while playing).
// libmpv shows a new graph from the frame shown by a seek of its own.
void Engine::fitToWindow() {
    if (gridMode() && composing_) applyLayout(true);
}

bool Engine::applyLayout(bool onlyWhenChanged) {
    CameraTracks tracks;
    tracks.partnerVideo = partnerTrack_;
    int64_t count = 0;
    mpv_.getInt("track-list/count", count);
    for (int64_t i = 0; i < std::min<int64_t>(count, 64); ++i) {
        const std::string prefix = "track-list/" + std::to_string(i) + "/";
        std::string type, external, albumArt;
        int64_t id = 0;
        if (!mpv_.getString((prefix + "type").c_str(), type) || !mpv_.getString((prefix + "external").c_str(), external) ||
            external == "yes" || !mpv_.getInt((prefix + "id").c_str(), id))
            continue;
        if (type == "video" && !tracks.mainVideo && !(mpv_.getString((prefix + "albumart").c_str(), albumArt) && albumArt == "yes")) {
            tracks.mainVideo = id;
            int64_t w = 0, h = 0;
            mpv_.getInt((prefix + "demux-w").c_str(), w);
            mpv_.getInt((prefix + "demux-h").c_str(), h);
            tracks.width = w;
            tracks.height = h;
        } else if (type == "audio" && !tracks.mainAudio) {
            tracks.mainAudio = id;
        }
    }
    std::string graph;
    if (gridMode()) {
        if (grid_.empty()) return false;
        grid_.front().video = tracks.mainVideo;
        grid_.front().width = tracks.width;
        grid_.front().height = tracks.height;
        graph = gridGraph({grid_, tracks.mainAudio}, layout_, large_, gridStyle());
    } else {
        graph = cameraGraph(tracks, layout_, mirror_);
    }
    if (graph.empty()) return false;
    if (onlyWhenChanged && composing_ && graph == graph_) return false;
    int rc = mpv_.setString("lavfi-complex", graph);
    if (rc < 0 && gridMode() && labels_) {
        // Most likely no font for the missing cameras' names: their tiles stay black unnamed.
        labels_ = false;
        graph = gridGraph({grid_, tracks.mainAudio}, layout_, large_, gridStyle());
        rc = mpv_.setString("lavfi-complex", graph);
    }
    graph_ = rc < 0 ? std::string() : graph;
    if (rc < 0) {
        out_.postError("Warning: cannot compose the cameras: " + MpvSession::errorText(rc));
        return false;
    }
    composing_ = true;
    reselectSubtitle();
    return true;
}

void Engine::reselectSubtitle() {
    if (options_.subtitleTrack && *options_.subtitleTrack == 0) return;
    int64_t count = 0, chosen = 0, partnerSub = 0;
    mpv_.getInt("track-list/count", count);
    for (int64_t i = 0; i < std::min<int64_t>(count, 64); ++i) {
        const std::string prefix = "track-list/" + std::to_string(i) + "/";
        std::string type, external;
        int64_t id = 0;
        if (!mpv_.getString((prefix + "type").c_str(), type) || type != "sub" ||
            !mpv_.getString((prefix + "external").c_str(), external) || !mpv_.getInt((prefix + "id").c_str(), id))
            continue;
        if (external == "yes") {
            if (!partnerSub) partnerSub = id;
        } else if (!chosen || (options_.subtitleTrack && id == *options_.subtitleTrack)) {
            chosen = id;
        }
    }
    if (!chosen) chosen = partnerSub;
    if (!chosen) return;
    mpv_.setString("sid", "no");
    mpv_.setString("sid", std::to_string(chosen));
}

void Engine::dropPartner(bool reload) {
    if (partnerFailed_) return;
    partnerFailed_ = true;
    if (composing_) mpv_.setString("lavfi-complex", "");
    composing_ = false;
    out_.post(lines::partnerPlaying(false));
    if (!reload) return;
    const std::string& file = options_.mediaFile;
    const std::string local = file.front() == '/' ? file : "./" + file;
    mpv_.setString("start", number(lastPosition_));
    if (int rc = mpv_.command({"loadfile", local}); rc < 0) finish(Exit::Eof, 1);
}

void Engine::setLayout(cameras::CameraLayout layout, bool mirror, cameras::CameraChannel large) {
    const cameras::CameraLayout oldLayout = layout_;
    const bool oldMirror = mirror_;
    const cameras::CameraChannel oldLarge = large_;
    layout_ = layout;
    mirror_ = mirror;
    large_ = large;
    // In the grid no camera is large: a new large one waits for the strip or single layout.
    const bool largeShown = gridMode() && cameras::layoutForMany(layout) != cameras::CameraLayout::Grid;
    if (composing_ && (layout != oldLayout || mirror != oldMirror || (large != oldLarge && largeShown))) {
        if (paused_) answerAfterRestart_ = true;  // the new picture is answered like a paused seek
        // libmpv shows a new graph's first picture by an exact seek to the
        // frame shown; a seek of our own would decode every camera again.
        if (!applyLayout()) {
            layout_ = oldLayout;
            mirror_ = oldMirror;
            large_ = oldLarge;
            applyLayout();
        }
    }
    const cameras::CameraLayout shown = gridMode() ? cameras::layoutForMany(layout_) : layout_;
    out_.post(lines::cameraLayout(cameras::layoutName(shown), mirror_));
}

void Engine::onPlaybackRestart() {
    if (started_) {  // later restarts follow seeks
        // Every restart after a paused seek or step is answered, not just the
        // first: a seek sent while playing may still land after the paused
        // one was asked (libmpv then restarts twice), and the first answer
        // would come from between the two, with no text yet. The last
        // restart's answer is that of the picture shown.
        if (answerAfterRestart_ && paused_) {
            requestPosition(kTagPositionAnswer);
            requestSubtitleText();
        }
        return;
    }
    started_ = true;
    fitToWindow();
    if (hasVideo_) postAspect(true);
    out_.post(lines::startingPlayback());
    nextPosition_ = Clock::now() + kPositionInterval;
}

// A new picture format; the video going away at the end reports no aspect.
void Engine::onVideoReconfig() {
    if (started_ && hasVideo_) postAspect(false);
}

// The aspect of the picture as shown; 0 (when allowed) lets the program use
// width / height.
void Engine::postAspect(bool allowUnknown) {
    double aspect = 0;
    if (!mpv_.getDouble(composing_ ? "video-out-params/aspect" : "video-params/aspect", aspect) || !std::isfinite(aspect) || aspect <= 0) {
        if (!allowUnknown) return;
        aspect = 0;
    }
    if (std::fabs(aspect - lastAspect_) < 1e-4) return;
    lastAspect_ = aspect;
    out_.post(lines::videoAspect(aspect));
}

void Engine::onReply(const mpv_event& event) {
    const uint64_t tag = event.reply_userdata;
    if (event.event_id == MPV_EVENT_COMMAND_REPLY) {
        const auto shot = pendingShots_.find(tag);
        if (shot == pendingShots_.end()) return;
        shot->second.done = true;
        shot->second.written = event.error >= 0;
        if (!shot->second.written)
            out_.postError("Warning: snapshot " + shot->second.name + " failed: " + MpvSession::errorText(event.error));
        reportScreenshots();
        return;
    }
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    const bool ok = event.error >= 0 && property && property->data;
    if (tag == kTagSubtitle) {
        const char* text = ok && property->format == MPV_FORMAT_STRING ? *static_cast<char**>(property->data) : "";
        out_.post(lines::subtitleLog(text));
    } else if (tag == kTagPositionAnswer || tag == kTagPositionPeriodic) {
        const double seconds = ok && property->format == MPV_FORMAT_DOUBLE ? *static_cast<double*>(property->data) : 0;
        if (tag == kTagPositionAnswer)
            out_.post(lines::timePosition(seconds));
        else if (ok && !paused_)
            out_.postPeriodic(lines::timePosition(seconds));
        if (ok) lastPosition_ = seconds;
    }
}

}  // namespace engine
