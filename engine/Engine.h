#pragma once
// The player engine: plays one file with libmpv and speaks the slave
// protocol (commands on a descriptor, lines through an OutputWriter).
//
// Threads: run() is the engine's main thread, a poll() loop over the command
// descriptor, libmpv's wake-up descriptor and the position timer; nothing
// else calls the engine. There are no busy loops: with nothing to do the loop
// sleeps until the next position line (twice a second while playing) or for
// ever while paused.
// Lifecycle: run() returns after "quit", the end of the file, a failure to
// play, or the end of the command stream (the program that drives the
// engine is gone). libmpv is shut down before the exit line is posted, so the
// audio device and the video window are free when the program reads it.
#include "cameras/GridGraph.h"
#include "engine/EngineOptions.h"
#include "engine/LineSplitter.h"
#include "engine/MpvSession.h"
#include "engine/ScreenshotNamer.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace engine {

using cameras::GridCamera;
using cameras::GridStyle;

class OutputWriter;
struct SlaveCommand;

class Engine {
public:
    static constexpr std::chrono::milliseconds kPositionInterval{500};

    Engine(const EngineOptions& options, OutputWriter& out);

    // Plays the file; returns the process exit code.
    int run(int commandFd);

private:
    using Clock = std::chrono::steady_clock;
    enum class Exit { None, Eof, Quit };

    void readCommands(int fd);
    void handleCommand(const SlaveCommand& command);
    void handleEvents();
    void handleEvent(const mpv_event& event);
    void onFileLoaded();
    void onPlaybackRestart();
    void onVideoReconfig();
    void onReply(const mpv_event& event);
    void requestPosition(uint64_t tag);
    void requestSubtitleText();
    void checkSoundOutput();
    void reportNoSound();
    void postAspect(bool allowUnknown);
    void takeScreenshot();
    void setSpeed(double factor);
    void stepFrame(bool forward);
    double frameSeconds();
    void reportScreenshots();
    void finish(Exit exit, int code);
    // The partner: added as an external video track once the main clip is
    // loaded; composed with it while it plays; dropped when it fails.
    void addPartner();
    // All cameras of a car's moment: each added as an external video track;
    // one that cannot be added leaves its tile black.
    void addCameras();
    long long addVideoTrack(const std::string& file, long long& width, long long& height);
    bool gridMode() const { return !options_.cameraFiles.empty(); }
    // Sets the filter graph; onlyWhenChanged: false, and nothing done, when it is the one set.
    bool applyLayout(bool onlyWhenChanged = false);
    GridStyle gridStyle();
    void fitToWindow();
    bool windowResized();
    void reselectSubtitle();
    void dropPartner(bool reload);
    void setLayout(cameras::CameraLayout layout, bool mirror, cameras::CameraChannel large);
    int pollTimeoutMs() const;

    const EngineOptions options_;
    OutputWriter& out_;
    MpvSession mpv_;
    LineSplitter commands_;
    ScreenshotNamer shots_;
    struct PendingShot {
        std::string name;
        bool done = false;
        bool written = false;
    };
    // Snapshots in the order they were asked for (by request tag); their
    // lines follow that order even when they are written out of it.
    std::map<uint64_t, PendingShot> pendingShots_;
    uint64_t nextShotTag_;

    bool started_ = false;  // "Starting playback" was printed
    bool paused_ = false;
    bool hasVideo_ = false;
    double lastAspect_ = -1;
    double volume_ = 100;
    bool muted_ = false;
    double speed_ = 1;
    // A seek or frame step while paused: whenever a new frame shows (every
    // restart until playing again), its position and text are answered, as
    // nothing else reports them.
    bool answerAfterRestart_ = false;
    Clock::time_point nextPosition_;
    cameras::CameraLayout layout_;
    bool mirror_;
    bool composing_ = false;      // lavfi-complex is set
    bool partnerFailed_ = false;  // reported once; the main clip plays alone from then on
    long long partnerTrack_ = 0;
    std::vector<GridCamera> grid_;  // with -camera: the main clip first, then the others
    cameras::CameraChannel large_;
    std::string graph_;   // the filter graph set; empty: none
    long long fittedWidth_ = 0;  // the window size the grid was last made for
    long long fittedHeight_ = 0;
    bool labels_ = true;  // missing tiles named; off when drawing text fails (no font)
    double lastPosition_ = 0;     // where a reload without the partner starts
    bool soundChecked_ = false;     // the sound output was found, or its absence reported
    int soundChecks_ = 0;
    bool noSoundReported_ = false;  // "ID_AUDIO_OUTPUT=none" goes out once
    Exit exit_ = Exit::None;
    int exitCode_ = 0;
};

}  // namespace engine
