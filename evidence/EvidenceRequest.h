#pragma once
// What an export is asked to make: a stretch of consecutive clips, with or
// without the data burned into the video, into a new folder.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"
#include "config/UnitSystem.h"
#include "telemetry/DisplayZone.h"
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
    // The picture as shown of a car's moment: every camera of each clip's
    // moment (found among journey, else clips, by the camera table) composed
    // as the player composes them, in this layout (grid, strip or single)
    // with this large camera, the back camera mirrored when asked;
    // re-encoded, and in place of the inset. A camera a moment lacks leaves
    // its tile black.
    std::optional<cameras::CameraLayout> layout;
    cameras::CameraChannel largeCamera = cameras::CameraChannel::None;
    bool mirrorRear = false;
    // Copy the original clips of the whole journey (every channel of every
    // moment of the stretch's drive) into originals/, bit for bit.
    bool originals = false;
    // The clips the journey's other channels are found among (every clip of
    // the playlist or the command line); empty: clips and partners.
    std::vector<std::string> journey;
    std::string command;            // how the export was asked for, for the custody log ("" none)
    std::string exportsFolder;      // the new folder is made in it
    std::string kind = "Export";    // ends the new folder's name
    std::string ffmpeg;             // the FFmpeg program
    std::string reportProgram;      // makes report.pdf from report.json
    std::vector<std::pair<std::string, std::string>> reportTexts;  // by key; "" English
    UnitSystem units = UnitSystem::Metric;
    EventSettings events;
    int utcOffsetSeconds = 0;  // what the camera clock is ahead of UTC
    bool frameHashes = false;  // frames.md5: every original frame of the stretch (asked with the originals)
    // Once SHA256SUMS is final: a signature with this private key (PEM, its
    // password "" when none) and certificate; "" not signed.
    std::string signKey, signPassword, signCert;
    bool timestampRequest = false;  // SHA256SUMS.tsq for a time-stamping authority
    // The zone the band, the report and the folder's name write times in,
    // and the one a camera clock is read in (the TimeZone setting; the
    // tool's --utc-offset). Empty: none is known; utcOffsetSeconds then
    // holds, GPS times are written as UTC and a camera's clock as it stands,
    // and track.gpx says that its zone is unknown.
    std::optional<DisplayZone> zone;
    // What the user writes into the report (cut to kMaxFieldBytes).
    static constexpr size_t kMaxFieldBytes = 2000;
    std::string caseReference, vehicle, note;
    std::string program = "veltara-dvr-player";  // names the software in the report
    // Records held of the clips at once (the player's budget), and the most
    // the report's input may take; smaller in tests.
    size_t recordBudget = record_budget::kRecords;
    size_t reportInputLimit = ReportInput::kInputLimit;
};
