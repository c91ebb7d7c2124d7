#pragma once
// The player process: one child process per played clip, driven in slave
// mode (commands on its standard input, status lines on its standard output).
// Its output reader turns the lines into stored values and into event codes
// (player/PlayerState.h) posted to the notify target; subtitle-log texts go
// to the subtitle callback, reported positions to the position callback.
//
// Threads:
// - Control thread (the UI thread; the start-up thread may set up and set
//   the volume meanwhile): set-up, Start, Stop, the commands, the getters.
//   Set-up values are under a lock, so set-up may race a Start.
// - The output reader, one per player process: parses lines, sends
//   "sub_log_static" (or "get_time_pos", see LiveFromPosition) every 500 ms
//   while playing (every half second of the clip when played faster), posts
//   events and calls the callbacks. It never blocks for long: it polls the output with a
//   50 ms time-out and sees a stop within that time.
// Every value both threads touch is atomic or under a lock. Start, Stop and
// the clean-up after a failed command are serialised by a lock.
//
// Lifecycle: Start spawns the process and the reader. The reader ends when
// the player reports its end, when it has not started playing within 10 s
// (posted as PLAYER_EOF, so a clip whose open blocks never wedges playback),
// when its output fails (PLAYER_PIPE_ERROR) or when a Stop is under way; it then reaps the process (500 ms grace, then
// SIGKILL). Stop sends "quit", joins the reader and makes sure the process
// is reaped. Start, Stop and the destructor always join a finished reader.
// Do not call Start or Stop from the callbacks (they return 1 there).
#include "platform/ChildProcess.h"
#include "platform/MessageTarget.h"
#include "player/PlayerCommandLine.h"
#include "player/PlayerLine.h"
#include "player/PlayerState.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CMplayer {
public:
    // Called on the reader thread with each non-empty subtitle-log text (at
    // most 127 bytes) and the player's process id.
    using SubtitleCallback = std::function<void(const std::string& text, int32_t processId)>;
    // Called on the reader thread with each position the player reports
    // (while playing, and as the answer to a paused seek or frame step).
    using PositionCallback = std::function<void(int64_t positionMs, int32_t processId)>;
    // Asked on the reader thread: true while the clip's live record comes
    // from its own data at the play position rather than from the engine's
    // text. The reader then asks for the position where it would ask for
    // the text, and drops the engine's text answers: no subtitle callback,
    // no PLAYER_NO_SUBTITLE (that text is no camera track).
    using LiveFromPosition = std::function<bool()>;

    static constexpr uint32_t kDefaultNotifyMessage = platform::WM_USER + 64;
    static constexpr int32_t kDefaultVolume = 50;

    CMplayer();
    virtual ~CMplayer();
    CMplayer(const CMplayer&) = delete;
    CMplayer& operator=(const CMplayer&) = delete;

    // Set-up: each only stores; the values take effect at the next Start.
    void SetPlayerPath(std::string_view path);
    void SetWorkDir(std::string_view folder);  // empty: the parent's; created (one level) when missing
    void SetMediaFile(std::string_view path);
    // The other camera of the moment, shown in the same picture (empty: none).
    void SetPartnerFile(std::string_view path);
    // All cameras of the next clip's moment ("channel:path" each), composed in
    // one picture; empty: none (then the partner, if any, is shown).
    void SetCameraFiles(std::vector<std::string> cameras);
    // Events go to target with this message number; a null target gets none.
    void SetNotifyWindow(platform::MessageTarget* target, uint32_t message);
    void SetVideoWindow(int64_t window);        // 0: none
    void SetVideoOut(std::string_view output);  // ignored when empty
    void SetAudioOut(std::string_view output);  // ignored when empty
    void SetSoundDevice(int32_t device);        // used only with "dsound"
    void SetExtraOptions(std::string_view options);
    void SetSubtitleCallback(SubtitleCallback callback);  // ignored when empty
    void SetPositionCallback(PositionCallback callback);  // ignored when empty
    void SetLiveFromPosition(LiveFromPosition check);     // ignored when empty

    // 0, or the errno of a failed process start; 1 when the reader cannot start.
    int Start();
    // Returns 0.
    int Stop();
    // 0 when done or ignored, 1 when refused in the current state.
    int TogglePause();
    int SetMute(bool muted);
    int SetVolume(int32_t volume);
    // Playing or paused; paused, the player shows the new frame and answers
    // with its position and text.
    int Seek(int32_t seconds);
    // Playing or paused.
    int TakeScreenshot();
    // Kept for the next clips too; sent at once while a clip plays.
    int SetSpeed(double factor);
    // How the two cameras share the picture (a name of cameras::CameraLayout);
    // kept for the next clips, sent at once while a clip with a partner plays.
    int SetCameraLayout(std::string_view layout, bool mirrorPartner);
    // The camera shown large (a channel name; empty: the clip's own), as the layout.
    int SetLargeCamera(std::string_view channel);
    // One frame forward or back; refused (1) unless paused.
    int StepFrame(bool forward);
    // Writes the command and a line feed: 0 when written, 1 otherwise.
    // Refused while Idle or Stopping, and for a command over 62 bytes or
    // one holding a line end. A failed write with `report` set cleans up the
    // process and posts PLAYER_PIPE_ERROR.
    int SendCommand(std::string_view command, bool report);

    PlayerState GetState() const { return state_.load(); }
    double GetLength() const { return length_.load(); }
    double GetAspect() const { return aspect_.load(); }
    int32_t GetPosition() const { return position_.load(); }
    int64_t GetPositionMs() const { return positionMs_.load(); }
    double GetSpeed() const { return speed_.load(); }
    int32_t GetVideoWidth() const { return width_.load(); }
    int32_t GetVideoHeight() const { return height_.load(); }
    int32_t GetVolume() const { return volume_.load(); }
    bool IsMuted() const { return muted_.load(); }
    uint32_t GetProcessId() const { return processId_.load(); }
    std::string GetScreenshotName() const;
    std::string GetSubtitleText() const;
    std::string GetWorkDir() const;
    std::string GetPartnerFile() const;
    std::vector<std::string> GetCameraFiles() const;
    std::string GetLargeCamera() const;
    std::string GetMediaFile() const;
    std::string GetCameraLayout() const;
    bool IsPartnerMirrored() const;
    // The engine reported the partner in the picture (until it fails or the clip ends).
    bool IsPartnerPlaying() const { return partnerPlaying_.load(); }
    // The command line the next Start runs, as text.
    std::string GetCommandLine() const;

private:
    enum class WriteResult { Written, Closed, Failed };

    PlayerCommandLine commandLine() const;
    bool onReaderThread() const;
    bool beginStop();
    void stopLocked();
    void cleanUpProcess();
    void resetValues();
    WriteResult writeInput(std::string_view text);
    void closeInput();
    void post(uintptr_t code) const;
    void readerMain();
    // How often the reader asks for the track text while playing, in ms.
    uint32_t subtitleLogInterval() const;
    void handleLine(const PlayerLine& line);
    bool liveFromPosition() const;

    // Set-up, under settingsMutex_.
    mutable std::mutex settingsMutex_;
    std::string playerPath_;
    std::string workDir_;
    std::string mediaFile_;
    std::string videoOutput_ = "directx:noaccel";
    std::string audioOutput_ = "dsound";
    std::string extraOptions_;
    std::string partnerFile_;
    std::vector<std::string> cameraFiles_;  // "channel:path"
    std::string largeCamera_;
    std::string cameraLayout_ = "inset";
    bool mirrorPartner_ = false;
    int32_t soundDevice_ = 0;
    int64_t videoWindow_ = 0;
    SubtitleCallback subtitleCallback_;
    PositionCallback positionCallback_;
    LiveFromPosition liveFromPosition_;

    std::atomic<platform::MessageTarget*> notifyTarget_{nullptr};
    std::atomic<uint32_t> notifyMessage_{kDefaultNotifyMessage};

    // The process and the reader: changed only under controlMutex_, and only
    // while no reader runs; the reader uses process_ while it runs.
    std::mutex controlMutex_;
    std::unique_ptr<platform::ChildProcess> process_;
    std::thread reader_;
    std::atomic<std::thread::id> readerId_{};
    std::atomic<uint64_t> session_{0};  // counts started processes

    // The parent's end of the player's input, shared by the commands and the reader.
    std::mutex inputMutex_;
    int inputFd_ = -1;

    std::atomic<PlayerState> state_{PlayerState::Idle};
    std::atomic<uint32_t> processId_{0};
    std::atomic<double> length_{0.0};
    std::atomic<double> aspect_{0.0};
    std::atomic<bool> seekPending_{false};
    std::atomic<int32_t> position_{0};
    std::atomic<int64_t> positionMs_{0};
    std::atomic<double> speed_{1.0};
    std::atomic<int32_t> volume_{kDefaultVolume};
    std::atomic<int32_t> width_{0};
    std::atomic<int32_t> height_{0};
    std::atomic<bool> muted_{false};
    std::atomic<bool> partnerPlaying_{false};

    mutable std::mutex textMutex_;
    std::string screenshotName_;  // under textMutex_
    std::string subtitleText_;    // under textMutex_
};
