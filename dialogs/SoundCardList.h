#pragma once
// The sound devices the player engine can play on, as it numbers them for
// "-ao dsound:device=N": the descriptions that
// "<program folder>MPlayer/mplayer -list-audio-devices" prints, one a line,
// in its order (entry 0 is the automatic choice).
//
// Threads: query() blocks its caller for at most the time limit; any thread.
// The engine is started, read and always reaped inside the call; one that
// does not answer in time is killed.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

class SoundCardList {
public:
    static constexpr std::chrono::milliseconds kTimeLimit{4000};
    // Bounds on what is taken from the engine, so a broken one cannot flood the list.
    static constexpr size_t kMaxDevices = 128;
    static constexpr size_t kMaxDescriptionBytes = 256;
    static constexpr size_t kMaxOutputBytes = 64 * 1024;

    // Empty when the engine is missing, cannot start or lists nothing. When
    // the time runs out the complete lines read so far are kept.
    static std::vector<std::string> query(const std::string& programFolder,
                                          std::chrono::milliseconds limit = kTimeLimit);

    // The engine's output as device descriptions: one per line, also an
    // empty one; a last line without its line end counts only when
    // complete is true. Control characters become blanks, over-long
    // descriptions are cut at a character boundary.
    static std::vector<std::string> parse(std::string_view output, bool complete);
};
