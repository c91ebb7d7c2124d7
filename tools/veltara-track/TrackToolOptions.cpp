#include "veltara-track/TrackToolOptions.h"

#include <cstdlib>

namespace {

// Splits "--name=value"; a value of the next argument otherwise.
bool takeValue(const std::vector<std::string>& arguments, size_t& i, const std::string& name, std::string& value,
               std::string& error) {
    const std::string& argument = arguments[i];
    if (argument.size() > name.size() && argument[name.size()] == '=') {
        value = argument.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= arguments.size()) {
        error = "option " + name + " needs a value";
        return false;
    }
    value = arguments[++i];
    return true;
}

// "+HH:MM" or "-HH:MM", at most 14 hours either way.
bool parseUtcOffset(const std::string& value, int& seconds) {
    if (value.size() != 6 || (value[0] != '+' && value[0] != '-') || value[3] != ':') return false;
    for (const size_t i : {1, 2, 4, 5})
        if (value[i] < '0' || value[i] > '9') return false;
    const int hours = (value[1] - '0') * 10 + (value[2] - '0');
    const int minutes = (value[4] - '0') * 10 + (value[5] - '0');
    if (minutes > 59 || hours * 60 + minutes > 14 * 60) return false;
    seconds = (value[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    return true;
}

bool matches(const std::string& argument, const std::string& name) {
    return argument == name || (argument.rfind(name + "=", 0) == 0);
}

}  // namespace

TrackToolParse parseTrackToolOptions(const std::vector<std::string>& arguments, TrackToolOptions& options,
                                     std::string& error) {
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            options.files.push_back(argument);
            continue;
        }
        std::string value;
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            return TrackToolParse::Help;
        } else if (argument == "--version") {
            return TrackToolParse::Version;
        } else if (matches(argument, "--format")) {
            if (!takeValue(arguments, i, "--format", value, error)) return TrackToolParse::UsageError;
            if (value == "csv")
                options.format = TrackFormat::Csv;
            else if (value == "gpx")
                options.format = TrackFormat::Gpx;
            else if (value == "kml")
                options.format = TrackFormat::Kml;
            else if (value == "geojson")
                options.format = TrackFormat::GeoJson;
            else {
                error = "unknown format \"" + value + "\" (csv, gpx, kml or geojson)";
                return TrackToolParse::UsageError;
            }
        } else if (matches(argument, "--map")) {
            if (!takeValue(arguments, i, "--map", value, error)) return TrackToolParse::UsageError;
            if (value == "none")
                options.map = TrackMap::None;
            else if (value == "baidu")
                options.map = TrackMap::Baidu;
            else if (value == "google")
                options.map = TrackMap::Google;
            else {
                error = "unknown map \"" + value + "\" (none, baidu or google)";
                return TrackToolParse::UsageError;
            }
        } else if (matches(argument, "--region")) {
            if (!takeValue(arguments, i, "--region", value, error)) return TrackToolParse::UsageError;
            options.region = value;
        } else if (matches(argument, "--sampling")) {
            if (!takeValue(arguments, i, "--sampling", value, error)) return TrackToolParse::UsageError;
            if (value == "all")
                options.sampling = TrackSampling::All;
            else if (value == "player")
                options.sampling = TrackSampling::Player;
            else {
                error = "unknown sampling \"" + value + "\" (all or player)";
                return TrackToolParse::UsageError;
            }
        } else if (matches(argument, "--reader")) {
            if (!takeValue(arguments, i, "--reader", value, error)) return TrackToolParse::UsageError;
            if (value == "native")
                options.reader = TrackReader::Native;
            else if (value == "ffmpeg")
                options.reader = TrackReader::Ffmpeg;
            else {
                error = "unknown reader \"" + value + "\" (native or ffmpeg)";
                return TrackToolParse::UsageError;
            }
        } else if (matches(argument, "--utc-offset")) {
            if (!takeValue(arguments, i, "--utc-offset", value, error)) return TrackToolParse::UsageError;
            if (!parseUtcOffset(value, options.utcOffsetSeconds)) {
                error = "bad UTC offset \"" + value + "\" (+HH:MM or -HH:MM)";
                return TrackToolParse::UsageError;
            }
            options.utcOffsetGiven = true;
        } else if (matches(argument, "--config")) {
            if (!takeValue(arguments, i, "--config", options.configFile, error)) return TrackToolParse::UsageError;
        } else if (argument == "--export") {
            options.exportStretch = true;
        } else if (matches(argument, "--from")) {
            if (!takeValue(arguments, i, "--from", options.exportFrom, error)) return TrackToolParse::UsageError;
        } else if (matches(argument, "--duration")) {
            if (!takeValue(arguments, i, "--duration", value, error)) return TrackToolParse::UsageError;
            char* end = nullptr;
            options.exportSeconds = std::strtod(value.c_str(), &end);
            if (value.empty() || end == nullptr || *end != '\0' || !(options.exportSeconds > 0.0) ||
                options.exportSeconds > 600.0) {
                error = "bad duration \"" + value + "\" (seconds, more than 0 and at most 600)";
                return TrackToolParse::UsageError;
            }
        } else if (matches(argument, "--out")) {
            if (!takeValue(arguments, i, "--out", options.exportOut, error)) return TrackToolParse::UsageError;
        } else if (matches(argument, "--case")) {
            if (!takeValue(arguments, i, "--case", options.caseReference, error)) return TrackToolParse::UsageError;
        } else if (matches(argument, "--vehicle")) {
            if (!takeValue(arguments, i, "--vehicle", options.vehicle, error)) return TrackToolParse::UsageError;
        } else if (matches(argument, "--note")) {
            if (!takeValue(arguments, i, "--note", options.note, error)) return TrackToolParse::UsageError;
        } else if (argument == "--no-overlay") {
            options.overlay = false;
        } else if (argument == "--print0") {
            options.print0 = true;
        } else if (matches(argument, "--sign")) {
            if (!takeValue(arguments, i, "--sign", options.signKey, error)) return TrackToolParse::UsageError;
        } else if (matches(argument, "--cert")) {
            if (!takeValue(arguments, i, "--cert", options.signCert, error)) return TrackToolParse::UsageError;
        } else if (matches(argument, "--key-password-file")) {
            if (!takeValue(arguments, i, "--key-password-file", options.keyPasswordFile, error))
                return TrackToolParse::UsageError;
        } else if (argument == "--timestamp-request") {
            options.timestampRequest = true;
        } else if (argument == "--originals") {
            options.originals = true;
        } else if (matches(argument, "--layout")) {
            if (!takeValue(arguments, i, "--layout", value, error)) return TrackToolParse::UsageError;
            options.layout = cameras::parseLayout(value);
            if (!options.layout || cameras::layoutForMany(*options.layout) != *options.layout) {
                error = "bad layout \"" + value + "\" (grid, strip or single)";
                return TrackToolParse::UsageError;
            }
        } else if (matches(argument, "--large")) {
            if (!takeValue(arguments, i, "--large", value, error)) return TrackToolParse::UsageError;
            options.largeCamera =
                value.size() == 1 ? cameras::carCameraNumbered(value[0] - '0') : cameras::CameraChannel::None;
            if (options.largeCamera == cameras::CameraChannel::None) {
                error = "bad camera \"" + value + "\" for --large (1 to 6)";
                return TrackToolParse::UsageError;
            }
        } else if (argument == "--mirror-rear") {
            options.mirrorRear = true;
        } else if (argument == "--verify") {
            options.verify = true;
        } else if (matches(argument, "--ca")) {
            if (!takeValue(arguments, i, "--ca", options.caFile, error)) return TrackToolParse::UsageError;
        } else if (argument == "-r" || argument == "--recursive") {
            options.recursive = true;
        } else if (argument == "--index") {
            options.useIndex = true;
        } else if (argument == "--trips") {
            options.trips = true;
        } else if (argument == "--events") {
            options.events = true;
        } else if (argument == "--info") {
            options.info = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--repair") {
            options.repair = true;
        } else if (matches(argument, "--reference")) {
            if (!takeValue(arguments, i, "--reference", options.reference, error)) return TrackToolParse::UsageError;
        } else {
            error = "unknown option " + argument;
            return TrackToolParse::UsageError;
        }
    }
    if (options.files.empty()) {
        error = "no file given";
        return TrackToolParse::UsageError;
    }
    if (options.verify && (options.files.size() != 1 || options.trips || options.events || options.info ||
                           options.json || options.useIndex || options.exportStretch || options.repair ||
                           options.recursive || !options.configFile.empty())) {
        error = "--verify takes one evidence folder and no other option than --ca";
        return TrackToolParse::UsageError;
    }
    if (!options.caFile.empty() && !options.verify) {
        error = "--ca goes with --verify";
        return TrackToolParse::UsageError;
    }
    if (options.repair && (options.trips || options.events || options.info || options.json || options.useIndex ||
                           options.exportStretch || options.recursive)) {
        error = "--repair goes with --reference only";
        return TrackToolParse::UsageError;
    }
    if (!options.reference.empty() && !options.repair) {
        error = "--reference goes with --repair";
        return TrackToolParse::UsageError;
    }
    if ((options.trips ? 1 : 0) + (options.events ? 1 : 0) + (options.info ? 1 : 0) > 1) {
        error = "--trips, --events and --info do not go together";
        return TrackToolParse::UsageError;
    }
    if (options.info && options.reader == TrackReader::Ffmpeg) {
        error = "--info reads clips in-process: --reader ffmpeg does not go with it";
        return TrackToolParse::UsageError;
    }
    if (options.exportStretch &&
        (options.trips || options.events || options.info || options.json || options.useIndex)) {
        error = "--export does not go with --trips, --events, --info, --json or --index";
        return TrackToolParse::UsageError;
    }
    if (options.exportStretch && (options.exportFrom.empty() || options.exportSeconds <= 0.0 || options.exportOut.empty())) {
        error = "--export needs --from, --duration and --out";
        return TrackToolParse::UsageError;
    }
    if (!options.exportStretch && (!options.exportFrom.empty() || options.exportSeconds > 0.0 ||
                                   !options.exportOut.empty() || !options.overlay || options.print0 ||
                                   options.originals || !options.caseReference.empty() || !options.vehicle.empty() ||
                                   !options.note.empty())) {
        error = "--from, --duration, --out, --no-overlay, --originals, --print0, --case, --vehicle and --note go with "
                "--export";
        return TrackToolParse::UsageError;
    }
    if (options.signKey.empty() != options.signCert.empty() ||
        (!options.keyPasswordFile.empty() && options.signKey.empty())) {
        error = "--sign and --cert go together (and --key-password-file with them)";
        return TrackToolParse::UsageError;
    }
    if (!options.layout && (options.largeCamera != cameras::CameraChannel::None || options.mirrorRear)) {
        error = "--large and --mirror-rear go with --layout";
        return TrackToolParse::UsageError;
    }
    if (!options.exportStretch && options.layout) {
        error = "--layout goes with --export";
        return TrackToolParse::UsageError;
    }
    if (!options.exportStretch && (!options.signKey.empty() || options.timestampRequest)) {
        error = "--sign, --cert, --key-password-file and --timestamp-request go with --export";
        return TrackToolParse::UsageError;
    }
    if (!options.configFile.empty() && !options.trips && !options.events && !options.exportStretch) {
        error = "--config goes with --trips, --events or --export";
        return TrackToolParse::UsageError;
    }
    if (options.json && !options.trips && !options.events && !options.info) {
        error = "--json goes with --trips, --events or --info";
        return TrackToolParse::UsageError;
    }
    return TrackToolParse::Run;
}

std::string trackToolUsage() {
    return "Usage: veltara-track [--format csv|gpx|kml|geojson] [--map none|baidu|google]\n"
           "                     [--region NAME] [--sampling all|player] [--reader native|ffmpeg]\n"
           "                     [--index] [--utc-offset +HH:MM] [-r] PATH...\n"
           "       veltara-track --trips [--json] [--config FILE] [--reader native|ffmpeg] [--index] [-r] PATH...\n"
           "       veltara-track --events [--json] [--config FILE] [--reader native|ffmpeg] [--index] [-r] PATH...\n"
           "       veltara-track --info [--json] [--index] [-r] PATH...\n"
           "       veltara-track --export --from START --duration SECONDS --out DIR [--no-overlay] [--print0]\n"
           "                     [--sign KEY.pem --cert CERT.pem [--key-password-file FILE]]\n"
           "                     [--timestamp-request] [--originals] [--utc-offset +HH:MM] [--config FILE]\n"
           "                     [--case TEXT] [--vehicle TEXT] [--note TEXT]\n"
           "                     [--layout grid|strip|single [--large N] [--mirror-rear]] [-r] PATH...\n"
           "       veltara-track --verify [--ca FILE] FOLDER\n"
           "       veltara-track --repair [--reference CLIP] CLIP...\n"
           "       veltara-track --help | --version\n"
           "Writes the GPS and G-sensor track of dash camera clips to standard output.\n"
           "Reads the camera's text track, Novatek, NMEA, Thinkware, BlackVue, GoPro GPMF,\n"
           "CAMM, Garmin and 70mai data, and the data cars with built-in cameras keep\n"
           "in every video frame.\n"
           "A PATH may be a folder: its media files, sorted by name (-r: subfolders too).\n"
           "  --format    csv (default), gpx, kml or geojson\n"
           "  --map       datum of the CSV map coordinates: none (as recorded, default),\n"
           "              baidu (BD-09) or google (GCJ-02 when the region is \"China\")\n"
           "  --region    region of the Google map (default \"Oversea\")\n"
           "  --sampling  all: every track text (default); player: what the player's\n"
           "              track holds (one text in ten and the last one again)\n"
           "  --reader    native: read the clip in-process (default); ffmpeg: through\n"
           "              the converter program, as the player does (camera text only)\n"
           "  --index     use and fill the track index in the user's cache folder\n"
           "  --utc-offset  what the camera clock was ahead of UTC (default +00:00);\n"
           "              times are written in UTC; without it, the times of a camera's own\n"
           "              clock (no GPS time) are written as they stand, without a zone\n"
           "  --trips     print the trips (clips of one drive per camera channel)\n"
           "  --events    print the hard brakings, accelerations and impacts of the trips\n"
           "  --info      print each clip's data layout, samples, fixes, first and last\n"
           "              time (utc, camera or creation) and whether it has a G-sensor\n"
           "  --json      the trips, events or info as JSON\n"
           "  --export    export a stretch of the clips (consecutive clips of one drive) as\n"
           "              evidence into a new folder in DIR: video.mp4 (the data burned in,\n"
           "              unless --no-overlay: the original frames), track.gpx, track.csv,\n"
           "              frames.md5 (with --originals: FFmpeg's framemd5 of the original\n"
           "              frames), report.pdf, SHA256SUMS and custody.jsonl (the custody\n"
           "              log: one line per action, chained by SHA-256); prints the folder's\n"
           "              path and a newline, control characters (a newline, a tab) shown as\n"
           "              '?' and bytes that are not UTF-8 as U+FFFD\n"
           "  --print0    print the export's folder exactly as it is, ended by a NUL byte\n"
           "              instead of a newline (for scripts: xargs -0, read -d '')\n"
           "  --originals copy the original clips of the whole journey (every channel of\n"
           "              the drive the stretch is in) bit for bit into originals/\n"
           "  --verify    re-check an evidence folder: every file SHA256SUMS lists, files\n"
           "              added, removed or renamed, the source clips still at their paths\n"
           "              and the custody log's chain, the signature, the time-stamp reply\n"
           "              SHA256SUMS.tsr and frames.md5 against originals/; prints one line\n"
           "              per check and appends a line to the custody log; exit status 0\n"
           "              only when all hold\n"
           "  --ca FILE   with --verify: the authorities (PEM) trusted for the signer and\n"
           "              the time-stamping authority; default the system's\n"
           "  --from      where the stretch starts: CLIP@SECONDS, a clip of the list and a\n"
           "              moment in it, or YYYY-MM-DDThh:mm:ss (UTC; camera time less --utc-offset)\n"
           "  --duration  the stretch's length in seconds (at most 600)\n"
           "  --sign KEY.pem --cert CERT.pem\n"
           "              sign the export's SHA256SUMS: a detached CMS signature (DER)\n"
           "              SHA256SUMS.p7s with this private key and certificate (PEM). The\n"
           "              key's password is never given on the command line: it is the first\n"
           "              line of --key-password-file FILE, else the environment variable\n"
           "              VELTARA_KEY_PASSWORD; a bad key, a wrong password, or a certificate\n"
           "              that does not match the key or has expired signs nothing\n"
           "  --timestamp-request\n"
           "              write SHA256SUMS.tsq, an RFC 3161 request to send to a time-stamping\n"
           "              authority; put its reply into the folder as SHA256SUMS.tsr\n"
           "  --layout    the export's picture as the player shows a car's moment: every\n"
           "              camera of each clip's moment among the PATHs (by their names and\n"
           "              times) in the grid laid out like the car, one large over a strip of\n"
           "              the others, or one alone (single); a camera a moment lacks leaves\n"
           "              its tile black. --large N: the large camera (1 front, 2 back, 3 and\n"
           "              4 the left and right repeater, 5 and 6 the left and right pillar);\n"
           "              --mirror-rear: the back camera mirrored like a rear-view mirror\n"
           "  --case, --vehicle, --note  the case reference, the vehicle and a note the\n"
           "              export's report gives (plain text, at most 2000 bytes each)\n"
           "  --config    the settings file whose [Events] section sets the event thresholds\n"
           "              (default: the player's, Tavimoor.ini in the user's folder, when there is one)\n"
           "  --version   print the version and those of the FFmpeg and libmpv in use\n"
           "  --repair    repair clips cut short (no index) into <stem>.repaired.<ext> beside\n"
           "              them (else in the user's data folder); prints each copy's path\n"
           "  --reference the healthy clip of the same camera to learn from (default: the\n"
           "              nearest one of the same channel in the clip's folder)\n"
           "Exit status: 0 when every file gave a track, 1 when any failed, 2 for a usage error.\n";
}
