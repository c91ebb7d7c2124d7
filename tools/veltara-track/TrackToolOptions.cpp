#include "TrackToolOptions.h"

#include "track/MapKind.h"

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

bool matches(const std::string& argument, const std::string& name) {
    return argument == name || (argument.rfind(name + "=", 0) == 0);
}

}  // namespace

TrackMapConversion TrackToolOptions::conversion() const {
    switch (map) {
        case TrackMap::Baidu:
            return trackMapConversionFor(MAP_KIND_BAIDU, region);
        case TrackMap::Google:
            return trackMapConversionFor(MAP_KIND_GOOGLE, region);
        case TrackMap::None:
            break;
    }
    return TrackMapConversion::Copy;
}

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
        } else {
            error = "unknown option " + argument;
            return TrackToolParse::UsageError;
        }
    }
    if (options.files.empty()) {
        error = "no file given";
        return TrackToolParse::UsageError;
    }
    return TrackToolParse::Run;
}

std::string trackToolUsage() {
    return "Usage: veltara-track [--format csv|gpx|kml|geojson] [--map none|baidu|google]\n"
           "                     [--region NAME] [--sampling all|player] FILE...\n"
           "Writes the GPS and G-sensor track of dash camera clips to standard output.\n"
           "  --format    csv (default), gpx, kml or geojson\n"
           "  --map       datum of the CSV map coordinates: none (as recorded, default),\n"
           "              baidu (BD-09) or google (GCJ-02 when the region is \"China\")\n"
           "  --region    region of the Google map (default \"Oversea\")\n"
           "  --sampling  all: every track text (default); player: what the player's\n"
           "              track holds (one text in ten and the last one again)\n"
           "Exit status: 0 when every file gave a track, 1 when any failed, 2 for a usage error.\n";
}
