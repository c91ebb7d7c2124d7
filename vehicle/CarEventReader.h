#pragma once
// Reads a car's event.json: one JSON object whose values the car writes as
// strings (numbers are taken as well, and strings where numbers belong).
// The file is outside input: a missing, empty or unreadable file gives an
// event with nothing but its problem; a file over kMaxBytes is refused
// without reading it; a value that is not valid UTF-8, a number that is not
// one, a time that is no moment or a position that is no place is left out
// alone. Text after a syntax error is not read; what came before stands.
//
// Pure apart from the one file read; any thread.
#include "vehicle/CarEvent.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class CarEventReader {
public:
    static constexpr size_t kMaxBytes = 64 * 1024;
    static constexpr size_t kMaxText = 200;  // longer reasons and cities are cut (at a character)

    static CarEvent readFile(const std::string& path);
    static CarEvent parse(std::string_view text);
    // "YYYY-MM-DDThh:mm:ss" (or a space or '_' for the T, '-' for the
    // colons, as folders are named; a fraction of a second ignored) as
    // seconds since 1970 read as if UTC; none when it is no real moment.
    static std::optional<int64_t> localMoment(std::string_view text);
};
