#pragma once
// What report.pdf shows, handed to the report program as JSON: the figures
// of the stretch, its route, speed and G over time, its events, a frame of
// the video and the source clips with their checksums.
// Threads: any; a plain value and a pure writer.
#include <cstdint>
#include <string>
#include <vector>

struct ReportEvent {
    double atSeconds = 0.0;  // in the stretch
    std::string kind;        // "brake", "accel", "impact"
    double peakG = 0.0;
};

struct ReportClip {
    std::string path;
    int64_t sizeBytes = 0;
    std::string from, to;  // the span taken from it, as clock texts
    std::string sha256;
};

struct ReportInput {
    std::string language;  // the language file; "" English
    bool overlay = true;
    bool hasData = false;
    bool imperial = false;
    std::string start, end, timeKind;  // "camera clock" or "UTC"
    double lengthSeconds = 0.0;
    double distanceMetres = 0.0, topSpeedKmh = 0.0, averageSpeedKmh = 0.0, strongestG = 0.0;
    bool hasG = false;
    std::vector<double> route;  // latitude, longitude, ...
    std::vector<double> speed;  // seconds, km/h, ...
    std::vector<double> g;      // seconds, G, ...
    std::vector<ReportEvent> events;
    std::string frame;  // a picture of the video
    std::vector<ReportClip> clips;

    std::string json() const;
};
