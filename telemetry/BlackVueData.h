#pragma once
// BlackVue's GPS and G-sensor data, from the clip's `free` box or from the
// `.gps`/`.3gf` files beside it, turned into samples:
// - gps: text lines `[epoch ms]$GPRMC,...*hh`; the bracket is UTC. RMC gives
//   status, position, speed and course (GGA and other sentences are passed
//   over); a wrong checksum or a cut line drops that line.
// - 3gf: 10-byte big-endian records {u32 ms from the clip's start, i16 x, y,
//   z in hundredths of G}; 0xFFFFFFFF ends them.
// - sttm: the clip's start on the camera's clock (local time, ms).
// A fix's moment in the clip is its UTC time minus the clip's start in UTC.
// That start is sttm moved by the camera's zone when the zone can be told
// (sttm minus the first fix is a whole number of quarter hours, less the
// few seconds the receiver takes); otherwise the first fix is the clip's
// start. The G-sensor readings are averaged per 100 ms and put onto the
// fix within 100 ms; the others become samples of their own without a fix.
//
// Threads: one thread per object. add...() then finish() once.
#include "telemetry/ClipTelemetry.h"

#include <cstdint>
#include <string_view>
#include <vector>

class BlackVueData {
public:
    void addGpsText(std::string_view text);
    void addGSensor(std::string_view records);
    void setCameraStart(int64_t cameraMs) { cameraStartMs_ = cameraMs, hasCameraStart_ = true; }
    // Fills out (format BlackVue) with the samples in clip order and the notes.
    void finish(ClipTelemetry& out);

private:
    struct Fix {
        int64_t utcMs;
        TelemetrySample sample;
    };
    struct Reading {
        uint32_t clipMs;
        double x, y, z;
    };
    int64_t clipStartUtc() const;

    std::vector<Fix> fixes_;
    std::vector<Reading> readings_;
    int64_t cameraStartMs_ = 0;
    bool hasCameraStart_ = false;
    size_t badLines_ = 0;
    size_t untimedLines_ = 0;
    size_t badReadings_ = 0;
    bool full_ = false;
};
