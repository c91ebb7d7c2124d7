#pragma once
// What report.pdf shows, handed to the report program as JSON: the figures
// of the stretch, its route, speed and G over time, its events, a frame of
// the video and the source clips with their checksums. The figures are the
// whole stretch's; the route and the curves are thinned for drawing
// (fitForDrawing) so that the JSON stays within what the report program
// reads (kInputLimit).
// Threads: any; a plain value and a pure writer.
#include "evidence/CameraClockOffset.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct ReportEvent {
    double atSeconds = 0.0;  // in the stretch
    std::string kind;        // "brake", "accel", "impact", or the words for the car's own event
    double peakG = 0.0;
};

// A source clip that is a repaired copy: its original and the reference the
// index was rebuilt from, with the checksums the repair recorded.
struct ReportRepair {
    std::string original, originalSha256;
    std::string originalState;  // the original beside the copy now: "matches", "differs", "missing", "unreadable"
    std::string reference, referenceSha256;
};

struct ReportClip {
    std::string path;
    int64_t sizeBytes = 0;
    std::string from, to;  // the span taken from it, as clock texts
    std::string sha256;
    std::optional<ReportRepair> repair;
};

// A place of the stretch: where it starts, ends, and where the incident was.
struct ReportPlace {
    double latitude = 0.0, longitude = 0.0;  // WGS-84 degrees, north and east positive
};

struct ReportInput {
    // What the report program reads of its input, at most.
    static constexpr size_t kInputLimit = size_t{64} << 20;
    // Points of the route, and of each curve, drawn on the page at most.
    static constexpr size_t kDrawnPoints = 4000;

    // The keys of the language file's texts the report draws.
    static constexpr std::array<std::string_view, 51> kTextKeys{
        "IDS_REPORT_TITLE",
        "IDS_REPORT_START",
        "IDS_REPORT_END",
        "IDS_REPORT_DATA",
        "IDS_REPORT_NODATA",
        "IDS_REPORT_DURATION",
        "IDS_REPORT_DISTANCE",
        "IDS_REPORT_TOPSPEED",
        "IDS_REPORT_AVGSPEED",
        "IDS_REPORT_STRONGESTG",
        "IDS_REPORT_NOG",
        "IDS_REPORT_EVENTS",
        "IDS_REPORT_VIDEO",
        "IDS_REPORT_REENCODED",
        "IDS_REPORT_COPIED",
        "IDS_REPORT_INSET",
        "IDS_REPORT_CAMERAS",
        "IDS_REPORT_REENCODED_PLAIN",
        "IDS_REPORT_EVENT_AT",
        "IDS_REPORT_SPEED",
        "IDS_REPORT_SPEED_IMPERIAL",
        "IDS_REPORT_G",
        "IDS_REPORT_CLIPS",
        "IDS_REPORT_CLIP_SPAN",
        "IDS_REPORT_REPAIRED",
        "IDS_REPORT_ORIGINAL_MATCHES",
        "IDS_REPORT_ORIGINAL_DIFFERS",
        "IDS_REPORT_ORIGINAL_MISSING",
        "IDS_REPORT_ORIGINAL_UNREADABLE",
        "IDS_REPORT_NOROUTE",
        "IDS_REPORT_CAMERA_CLOCK",
        "IDS_REPORT_GPS_TIME",
        "IDS_REPORT_POSITION_START",
        "IDS_REPORT_POSITION_END",
        "IDS_REPORT_INCIDENT",
        "IDS_REPORT_POSITION_INCIDENT",
        "IDS_REPORT_CASE",
        "IDS_REPORT_VEHICLE",
        "IDS_REPORT_NOTE",
        "IDS_REPORT_CREATED",
        "IDS_REPORT_SOFTWARE",
        "IDS_REPORT_CLOCK",
        "IDS_REPORT_CLOCK_VALUE",
        "IDS_REPORT_CLOCK_UNKNOWN",
        "IDS_REPORT_ZONE",
        "IDS_REPORT_SECONDS_AXIS",
        "IDS_REPORT_CUSTODY",
        "IDS_EVENT_BRAKE",
        "IDS_EVENT_ACCEL",
        "IDS_EVENT_IMPACT",
        "IDS_DECIMAL"};

    // The report's texts in the user's language, by key; a key left out
    // keeps the report's English text.
    std::vector<std::pair<std::string, std::string>> texts;
    bool overlay = true;
    bool inset = false;  // the other camera inset
    std::string layout;  // every camera of each moment composed as shown: the layout's name ("" not)
    bool hasData = false;
    bool imperial = false;
    std::string start, end, timeKind;  // "camera clock" or "UTC"
    // The zone start, end and the incident's time are written in ("+01:00",
    // "UTC"); empty: a camera clock whose zone is not known.
    std::string zone;
    double lengthSeconds = 0.0;  // the video made, as read back
    double askedSeconds = 0.0;   // the stretch asked for
    double stretchSeconds = 0.0; // the stretch the data is placed on (the charts' time axis)
    double distanceMetres = 0.0, topSpeedKmh = 0.0, averageSpeedKmh = 0.0, strongestG = 0.0;
    bool hasG = false;
    std::vector<double> route;  // latitude, longitude, ...
    std::vector<double> speed;  // seconds, km/h, ...
    std::vector<double> g;      // seconds, G, ...
    std::vector<ReportEvent> events;
    std::string frame;  // a picture of the video
    std::vector<ReportClip> clips;
    // The folder's files as a receiver tells them apart: the original clips
    // copied untouched ("originals") and the files the export made from them
    // ("derived": the video, the track files, the report).
    std::vector<std::string> originals;  // "originals/0001F.MP4" 
    std::vector<std::string> derived;
    std::optional<ReportPlace> startPlace, endPlace, incidentPlace;
    std::optional<ReportEvent> incident;  // the event the stretch is about
    std::string incidentTime;             // its clock text, in `zone`
    // What the user wrote for the case (bounded and written escaped).
    std::string caseReference, vehicle, note;
    std::string software;                  // the program's and libraries' versions, one per line
    std::string createdUtc, createdLocal;  // when the report was made
    CameraClockOffset cameraClock;
    std::vector<std::string> custody;      // the custody log's lines, when there is one

    std::string json() const;

    // Thins the route (Douglas-Peucker for a page, then evenly) and the
    // curves (each stretch of them keeps its first point and its peak) to at
    // most kDrawnPoints each, fewer when the JSON would go beyond limit.
    // False when it would even without them (reason says so).
    bool fitForDrawing(std::string& reason, size_t limit = kInputLimit);
};
