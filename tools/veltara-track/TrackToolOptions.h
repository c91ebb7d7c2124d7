#pragma once
// The command line of veltara-track:
//     veltara-track [--format csv|gpx|kml|geojson] [--map none|baidu|google]
//                   [--region NAME] [--sampling all|player] [--reader native|ffmpeg]
//                   [--index] [--utc-offset +HH:MM] [-r] PATH...
//     veltara-track --trips [--json] [--config FILE] [--reader ...] [--index] [-r] PATH...
//     veltara-track --events [--json] [--config FILE] [--reader ...] [--index] [-r] PATH...
//     veltara-track --info [--json] [--index] [-r] PATH...
//     veltara-track --export --from START --duration SECONDS --out DIR [--no-overlay] [--print0]
//                   [--sign KEY.pem --cert CERT.pem [--key-password-file FILE]]
//                   [--timestamp-request] [--originals] [--utc-offset +HH:MM] [--config FILE]
//                   [--case TEXT] [--vehicle TEXT] [--note TEXT]
//                   [--layout grid|strip|single [--large N] [--mirror-rear]] [-r] PATH...
//     veltara-track --verify [--ca FILE] FOLDER
// Options take their value as the next argument or after "="; "--" ends the
// options. Threads: main only.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"
#include "trackfile/TrackFileOptions.h"

#include <optional>

#include <string>
#include <vector>

// The track file's options and the tool's own.
struct TrackToolOptions : TrackFileOptions {
    bool recursive = false;          // folders: their subfolders too
    bool useIndex = false;           // read and fill the track index
    bool trips = false;              // print the trips instead of the records
    bool events = false;             // print the trips' events alone
    bool info = false;               // print what data each clip holds
    bool json = false;               // trips, events or info as JSON
    std::string configFile;          // the settings whose [Events] find the events; "" the user's
    bool exportStretch = false;      // export a stretch of the clips as evidence
    std::string exportFrom;          // CLIP@SECONDS or YYYY-MM-DDThh:mm:ss
    double exportSeconds = 0.0;      // the stretch's length
    std::string exportOut;           // the folder the export's folder is made in
    bool overlay = true;             // the data burned into the video
    bool repair = false;             // repair clips cut short (no index)
    std::string reference;           // the healthy clip the repair learns from; "" the nearest
    bool utcOffsetGiven = false;     // --utc-offset was given: the camera clock's zone is known
    std::string caseReference, vehicle, note;  // the export report's reference fields
    bool print0 = false;             // the export's folder printed exactly, ended by a NUL
    std::string signKey;             // the export's SHA256SUMS signed with this key (PEM)...
    std::string signCert;            // ...and certificate (PEM)
    std::string keyPasswordFile;     // the key's password: this file's first line (else VELTARA_KEY_PASSWORD)
    bool timestampRequest = false;   // the export writes SHA256SUMS.tsq
    bool originals = false;          // the export copies the journey's original clips too
    // The export's picture: every camera of each moment among the clips, as the player lays them out.
    std::optional<cameras::CameraLayout> layout;
    cameras::CameraChannel largeCamera = cameras::CameraChannel::None;
    bool mirrorRear = false;
    bool verify = false;             // re-check an evidence folder (the one PATH)
    std::string caFile;              // the verification trusts these authorities (PEM); "" the system's
    std::string commandLine;         // the command as given, for the custody log
    std::vector<std::string> files;  // files and folders as given
};

enum class TrackToolParse { Run, Help, Version, UsageError };

// error receives the reason of a usage error.
TrackToolParse parseTrackToolOptions(const std::vector<std::string>& arguments, TrackToolOptions& options,
                                     std::string& error);

// The usage text, ending in a line feed.
std::string trackToolUsage();
