#pragma once
// Parses the camera's track texts into a TrackRecord, for example
//     2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50/23.5/X:12/Y:-3/Z:98
// (date and time are the 19 characters in front of the first slash, then
// longitude, latitude, speed in knots and the three G-sensor axes).
//
// A parser is reused: a parse writes only the fields it reaches, and the
// others keep what the previous parse left.
//
// Two uses:
// - Batch: the extraction calls parse() synchronously on its own thread.
// - Live: startLive() starts a worker thread. submit() (from the player's
//   output reader, any thread) hands over the latest text; the worker parses
//   it in the live form (no axes) and sends WM_TRACK_LIVE to the target with
//   wParam = the tag and lParam = 1 (parsed) or 0 (not parsed). Texts that
//   arrive while the worker is busy replace one another; only the latest is
//   parsed. The receiver reads liveRecord() (any thread, a locked copy), or
//   record() while handling the message, as the worker is blocked in the send.
//   stopLive() or the destructor ends the worker: it finishes the send in
//   flight, if any, and is joined. So call them on the receiver's thread only
//   when the target no longer blocks a send (a closing window answers sends
//   at once).
#include "platform/MessageTarget.h"
#include "track/TrackRecord.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>

class TrackParser {
public:
    static constexpr size_t kTextSize = 128;  // texts keep at most 127 bytes

    TrackParser() = default;
    ~TrackParser();
    TrackParser(const TrackParser&) = delete;
    TrackParser& operator=(const TrackParser&) = delete;

    // Full form. Sets record().valid and returns it. A null text is invalid;
    // a text ends at its first zero byte.
    bool parse(const char* text);
    bool parse(std::string_view text);

    // Live form: date, time and position are required, the speed is read when
    // present, the axes are never read.
    bool parseLive(std::string_view text);

    // The record of the last parse, for the thread that parses.
    const TrackRecord& record() const { return record_; }

    // The record of the live worker's latest parse; any thread.
    TrackRecord liveRecord() const;

    // Starts the live worker sending to target. False when it already runs,
    // the target is null or the thread cannot start.
    bool startLive(platform::MessageTarget* target);
    // Copies at most 127 bytes of text and the tag for the worker and wakes
    // it. A null text is ignored. Any thread.
    void submit(const char* text, int32_t tag);
    // Ends and joins the live worker; safe to call more than once.
    void stopLive();
    bool liveRunning() const { return running_.load(); }

private:
    bool parseText(std::string_view text, bool live);
    void liveLoop();

    TrackRecord record_;
    std::array<char, kTextSize> work_{};   // live worker only
    std::array<char, kTextSize> input_{};  // under inputMutex_
    int32_t tag_ = 0;                      // under inputMutex_
    bool pending_ = false;                 // under inputMutex_
    bool stopping_ = false;                // under inputMutex_
    std::mutex inputMutex_;
    std::condition_variable wake_;
    mutable std::mutex liveMutex_;
    TrackRecord live_;                           // under liveMutex_
    platform::MessageTarget* target_ = nullptr;  // set before the worker starts
    std::atomic<bool> running_{false};
    std::thread worker_;
};
