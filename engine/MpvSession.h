#pragma once
// Owns one libmpv player instance and the descriptor that tells the engine's
// poll loop when libmpv has events waiting.
//
// Requests go to libmpv asynchronously and their answers come back as events.
// libmpv holds a limited number of pending answers; past kMaxPending (a flood
// of commands) a request is carried out at once and its answer is queued
// here as the same kind of event, so no command is ever lost.
//
// Threads: every call comes from the engine's main thread; libmpv calls the
// wake-up callback from its own threads, and that only writes to an eventfd.
// Lifecycle: the constructor creates the instance (valid() tells whether it
// worked); set options, then initialize(); destroy() (or the destructor)
// stops playback, closes the video window and frees everything.
#include <mpv/client.h>

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>

namespace engine {

struct AudioDevice {
    std::string name;         // libmpv "audio-device" value, e.g. "alsa/default"
    std::string description;  // what a person reads
};

class MpvSession {
public:
    MpvSession();
    ~MpvSession();
    MpvSession(const MpvSession&) = delete;
    MpvSession& operator=(const MpvSession&) = delete;

    bool valid() const { return handle_ != nullptr; }

    // Before initialize(). Return libmpv's error code (0 or negative).
    int setOption(const char* name, const std::string& value);
    int setOption(const char* name, int64_t value);
    int initialize();
    // Log messages of this level and worse arrive as events.
    int requestLogMessages(const char* level);
    // libmpv's error text for an error code.
    static std::string errorText(int error);

    // Readable while events may be waiting. Call clearWakeup(), then
    // nextEvent() until it gives nullptr: a wake-up during the drain stays set.
    int wakeupFd() const { return wakeFd_; }
    void clearWakeup();
    // The next waiting event, or nullptr when there is none. Valid until the next call.
    mpv_event* nextEvent();

    // Blocking queries: for set-up, and where an answer cannot wait.
    std::vector<AudioDevice> audioDevices();
    bool getInt(const char* name, int64_t& value);
    bool getDouble(const char* name, double& value);
    bool getString(const char* name, std::string& value);
    int setString(const char* name, const std::string& value);

    // Requests whose answer comes as an event carrying `tag` (a
    // MPV_EVENT_COMMAND_REPLY or MPV_EVENT_GET_PROPERTY_REPLY, the property
    // as a double or a string).
    void commandAsync(uint64_t tag, std::initializer_list<std::string> args);
    void getAsync(uint64_t tag, const char* name, bool asString);
    void setFlagAsync(const char* name, bool value);
    void setDoubleAsync(const char* name, double value);

    // A blocking command, for loading the file.
    int command(std::initializer_list<std::string> args);

    void destroy();

    static constexpr int kMaxPending = 100;

private:
    // An answer produced here rather than by libmpv.
    struct LocalReply {
        mpv_event_id id = MPV_EVENT_NONE;
        uint64_t tag = 0;
        int error = 0;
        std::string name;
        mpv_format format = MPV_FORMAT_NONE;
        double number = 0;
        std::string text;
    };

    static void onWakeup(void* self);
    void signalWakeup();
    bool roomForAsync() const { return pending_ < kMaxPending; }
    void queueLocal(LocalReply reply);

    mpv_handle* handle_ = nullptr;
    int wakeFd_ = -1;
    int pending_ = 0;  // answers libmpv still owes
    std::deque<LocalReply> local_;
    // The local answer handed out last, and the event that points into it.
    LocalReply current_;
    char* currentText_ = nullptr;
    mpv_event_property currentProperty_{};
    mpv_event currentEvent_{};
};

}  // namespace engine
