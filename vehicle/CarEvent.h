#pragma once
// What a car wrote about one saved or parked ("sentry") event in the
// event's folder (event.json): why, when, where. Each part is kept only when
// it was read whole; a part that failed is absent and the rest still stands.
// A plain value; any thread.
#include <cstdint>
#include <optional>
#include <string>

struct CarEvent {
    std::string reason;                   // as the car wrote it (valid UTF-8, no control characters); "" absent
    std::string city;                     // likewise
    std::optional<int64_t> localSeconds;  // the event's moment, the car's local clock, seconds since 1970 as if UTC
    std::optional<double> latitude;       // the estimated position, both or neither, a real place
    std::optional<double> longitude;
    std::optional<int> camera;  // the index of the camera that saw it
    std::string problem;        // why the file or a part of it was not read; "" when all was

    bool hasPlace() const { return latitude && longitude; }
};
