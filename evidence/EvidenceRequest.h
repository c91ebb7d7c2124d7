#pragma once
// What an export is asked to make: a stretch of consecutive clips, with or
// without the data burned into the video, into a new folder.
#include "config/UnitSystem.h"
#include "evidence/ReportInput.h"
#include "trackindex/RecordBudget.h"
#include "trip/EventSettings.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct EvidenceRequest {
    std::vector<std::string> clips;  // consecutive clips of a trip, in order
    size_t startClip = 0;
    double startSeconds = 0.0;  // in the start clip; below 0, in the clips before it
    // Instead: the start as a moment of the records' clock (camera time, or
    // UTC plus utcOffsetSeconds), found among all the clips.
    std::optional<double> startClock;
    double lengthSeconds = 30.0;
    // The player's proposal: the stretch is trimmed to the drive of the start
    // clip instead of crossing a gap into another drive or running past the end.
    bool withinDrive = false;
    bool overlay = true;            // burn the data in (re-encoded) or cut the original frames
    // The other camera of each clip's moment, by the clips' index ("" none).
    // With inset, every clip of the stretch needs one; it is re-encoded.
    std::vector<std::string> partners;
    bool inset = false;
    bool mirrorInset = false;
    std::string exportsFolder;      // the new folder is made in it
    std::string kind = "Export";    // ends the new folder's name
    std::string ffmpeg;             // the FFmpeg program
    std::string reportProgram;      // makes report.pdf from report.json
    std::vector<std::pair<std::string, std::string>> reportTexts;  // by key; "" English
    UnitSystem units = UnitSystem::Metric;
    EventSettings events;
    int utcOffsetSeconds = 0;  // what the camera clock is ahead of UTC
    // Records held of the clips at once (the player's budget), and the most
    // the report's input may take; smaller in tests.
    size_t recordBudget = record_budget::kRecords;
    size_t reportInputLimit = ReportInput::kInputLimit;
};
