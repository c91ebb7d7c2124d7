// veltara-track: writes the GPS and G-sensor track of dash camera clips, or
// the trips they make, to standard output.
#include "config/ConfigStore.h"
#include "config/ProgramVersion.h"
#include "platform/DocumentsFolder.h"
#include "platform/FileSystem.h"
#include "track/TelemetryRecords.h"
#include "trackfile/ClipTrackSource.h"
#include "trackfile/TrackTextEscape.h"
#include "trackfile/TrackWriter.h"
#include "trackindex/RecordBudget.h"
#include "trackindex/TripBuilder.h"
#include "trip/EventDetector.h"
#include "vehicle/CarEventOfClip.h"
#include "veltara-track/ClipFileList.h"
#include "veltara-track/ClipInfo.h"
#include "veltara-track/ExportCommand.h"
#include "veltara-track/ProgressLine.h"
#include "veltara-track/RepairCommand.h"
#include "veltara-track/VerifyCommand.h"
#include "veltara-track/TrackToolOptions.h"
#include "veltara-track/TripWriter.h"

#include <malloc.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The signal that asked the tool to end, or 0. The handler only sets it; the
// extraction gives up the current clip and everything is released normally.
std::atomic<int> interrupted{0};

void onSignal(int signal) {
    interrupted.store(signal);
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

// The samples a trip's events read, each at its moment in the clip: where
// the reader does not know it (the converter's path), one every
// kRecordPaceMs, as the player paces the converter's records.
void pacedWhereUnknown(std::vector<TelemetrySample>& samples, bool momentsKnown) {
    if (momentsKnown) return;
    for (size_t k = 0; k < samples.size(); ++k)
        samples[k].clipMs = static_cast<int64_t>(k) * EventDetector::kRecordPaceMs;
}

// The thresholds the player uses: [Events] of its settings file (or the one
// named), else the defaults. False when a named file cannot be read.
bool eventSettings(const std::string& named, EventSettings& settings) {
    std::string file = named;
    if (file.empty()) {
        const std::string documents = platform::documentsFolder();
        if (documents.empty()) return true;
        file = ConfigStore::UserConfigFile(documents);
        if (!platform::isRegularFile(file)) return true;
    } else if (!platform::isRegularFile(file) || ::access(file.c_str(), R_OK) != 0) {
        return false;
    }
    ConfigStore store("");
    store.UseConfigFile(file);
    settings = EventSettings::read(store);
    return true;
}

bool flush(std::string& out) {
    const bool ok = out.empty() || std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    out.clear();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    // A run lives seconds and reads a clip's whole track into memory: the
    // allocator keeps what is freed for the next clip instead of handing
    // large blocks back to the system and taking them again, page by page.
    ::mallopt(M_MMAP_THRESHOLD, 64 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 256 << 20);
    TrackToolOptions options;
    std::string error;
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    switch (parseTrackToolOptions(arguments, options, error)) {
        case TrackToolParse::Help:
            std::fputs(trackToolUsage().c_str(), stdout);
            return kExitOk;
        case TrackToolParse::Version:
            std::fputs(programVersionText("veltara-track").c_str(), stdout);
            return kExitOk;
        case TrackToolParse::UsageError:
            std::fprintf(stderr, "veltara-track: %s\n%s", printableText(error).c_str(), trackToolUsage().c_str());
            return kExitUsage;
        case TrackToolParse::Run:
            break;
    }
    options.commandLine = "veltara-track";
    for (const std::string& argument : arguments) {
        const bool plain = !argument.empty() && argument.find_first_not_of(
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_=+.,/:@%") == std::string::npos;
        std::string quoted = "'";
        for (const char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        options.commandLine += " " + (plain ? argument : quoted + "'");
    }
    if (options.verify) {
        installSignalHandlers();
        return runVerifyCommand(options.files.front(), options.caFile, options.commandLine, interrupted);
    }
    // Trips are figured from every sample; only their events need samples
    // kept, within the player's budget.
    const bool trips = options.trips || options.events;
    const bool tripEvents = options.events || (options.trips && options.json);
    if (trips || options.info) options.sampling = TrackSampling::All;

    EventSettings settings;
    if ((trips || options.exportStretch) && !eventSettings(options.configFile, settings)) {
        std::fprintf(stderr, "veltara-track: %s: cannot be read\n", printableText(options.configFile).c_str());
        return kExitFailed;
    }

    installSignalHandlers();
    int status = kExitOk;
    const ClipFileList list = listClipFiles(options.files, options.recursive);
    for (const std::string& problem : list.problems) {
        std::fprintf(stderr, "veltara-track: %s\n", printableText(problem).c_str());
        status = kExitFailed;
    }
    // An export leaves nothing behind when a clip it was given cannot be used.
    if (options.exportStretch) return status != kExitOk ? status : runExportCommand(options, list.files, settings, interrupted);
    if (options.repair) return status != kExitOk ? status : runRepairCommand(options, list.files, interrupted);
    std::unique_ptr<TrackIndex> index;
    if (options.useIndex && options.reader == TrackReader::Native) {
        index = std::make_unique<TrackIndex>();
        index->open(TrackIndex::defaultPath());
        if (const std::string notice = index->notice(); !notice.empty())
            std::fprintf(stderr, "veltara-track: %s\n", printableText(notice).c_str());
    }
    ClipTrackSource source(options, index.get());
    source.setInterruptFlag(&interrupted);
    const std::unique_ptr<TrackWriter> writer = makeTrackWriter(
        options.format, options.utcOffsetSeconds, options.utcOffsetGiven, options.conversion());
    ProgressLine progress(stderr, list.files.size() > 1 && ::isatty(STDERR_FILENO) == 1);

    std::string out;
    bool written = true;
    writer->setFlush([&written](std::string& text) { written = flush(text) && written; });
    if (!trips && !options.info) {
        writer->begin(out);
        written = flush(out) && written;
    }
    std::vector<ClipInfo> infos;
    // Per clip of the trips: its figures, and its samples for the events.
    std::vector<TripClipFigures> tripClips;
    struct HeldTrack {
        std::vector<TelemetrySample> samples;
        bool gAsCounts = false;  // the camera text's G, read on the events' scale
    };
    std::vector<HeldTrack> held;
    size_t heldRecords = 0;
    std::vector<std::optional<CarEventMark>> carEvents;  // per trip clip
    std::vector<TelemetrySample> samples;
    const DisplayZone zone = DisplayZone::fixed(options.utcOffsetSeconds);
    std::string reason;
    for (size_t i = 0; i < list.files.size(); ++i) {
        if (interrupted.load() != 0) break;
        const std::string& file = list.files[i];
        progress.show(i + 1, list.files.size(), file);
        // A trip without events needs only the clip's figures: made from its
        // samples as they are read, none is kept (a car's clip may need its place).
        std::optional<CarEventMark> carEvent = trips ? CarEventOfClip::find(file) : std::nullopt;
        std::optional<TrackFigures> sampleFigures;
        if (trips && !tripEvents && !carEvent)
            source.setTrim([&sampleFigures, &zone](ClipTelemetry& telemetry) {
                sampleFigures.emplace().startClip();
                for (const TelemetrySample& sample : telemetry.samples) sampleFigures->add(sample, zone);
                telemetry.samples.clear();
            });
        else
            source.setTrim({});
        ClipTrackSource::Result result = source.read(file, samples, reason);
        if (interrupted.load() != 0) break;
        if (const std::string problem = source.indexProblem(); !problem.empty())
            progress.message("veltara-track: the track index is not used: " + printableText(problem));
        // A clip without data is an answer of --info, not a failure.
        const bool noData = reason == IndexedTrackReader::kNoData;
        if (options.info && (result == ClipTrackSource::Result::Track || noData)) {
            ClipReading reading = source.lastReading();
            reading.telemetry.samples = std::move(samples);
            infos.push_back(clipInfoOf(file, reading));
            continue;
        }
        const TelemetryFormat format = source.lastReading().format();
        const bool gSensor =
            std::any_of(samples.begin(), samples.end(), [](const TelemetrySample& s) { return s.hasAccel; });
        const auto dated = std::find_if(samples.begin(), samples.end(),
                                        [](const TelemetrySample& s) { return s.timeKind != TelemetryTime::None; });
        const bool utc = dated != samples.end() && dated->timeKind == TelemetryTime::Utc;
        // A clip cut short says so rather than "damaged".
        const bool cut = result == ClipTrackSource::Result::Failed && isCutClip(file);
        if (options.info && cut) {
            ClipInfo info;
            info.path = file;
            info.cut = true;
            infos.push_back(info);
            continue;
        }
        // A car's saved or sentry clip: its event, and the event's place for a clip without data.
        if (carEvent && result == ClipTrackSource::Result::Failed && noData) {
            samples.clear();
            if (CarEventOfClip::place(file, *carEvent, samples)) result = ClipTrackSource::Result::Track;
        } else if (carEvent && result != ClipTrackSource::Result::Failed && source.clipMomentsKnown()) {
            CarEventOfClip::place(file, *carEvent, samples);
        }
        if (result != ClipTrackSource::Result::Track) {
            progress.message("veltara-track: " + printableText(file) + ": " +
                             (cut ? std::string("cut short (no index)") : printableText(reason)));
            status = kExitFailed;
        }
        if (result == ClipTrackSource::Result::Failed) continue;
        writer->clipFormat(format == TelemetryFormat::None ? TelemetryFormat::CameraText : format,
                           format == TelemetryFormat::None || gSensor);
        writer->clipClock(format != TelemetryFormat::None && utc);
        // A GPX of a clip without a single fix would be an empty track that looks like success.
        if (!trips && options.format == TrackFormat::Gpx && result == ClipTrackSource::Result::Track &&
            std::none_of(samples.begin(), samples.end(), trackPointDrawn)) {
            progress.message("veltara-track: " + printableText(file) + ": has no position fix for a GPX track");
            status = kExitFailed;
        }
        if (trips) {
            TripClipFigures& figured = tripClips.emplace_back(TripClipFigures{file, {}});
            if (sampleFigures) {
                figured.figures = *sampleFigures;
            } else {
                figured.figures.startClip();
                for (const TelemetrySample& sample : samples)
                    figured.figures.add(sample, zone, source.clipMomentsKnown());
            }
            HeldTrack& kept = held.emplace_back();
            if (tripEvents) {
                const size_t n = samples.size();
                const size_t room = heldRecords < record_budget::kRecords ? record_budget::kRecords - heldRecords : 0;
                if (const size_t step = record_budget::thin(samples, room); step > 1)
                    progress.message("veltara-track: " + printableText(file) + ": kept thinned to one record in " +
                                     std::to_string(step) + " (" + std::to_string(n) +
                                     " records go beyond the memory kept for trips): events may be missed");
                heldRecords += samples.size();
                pacedWhereUnknown(samples, source.clipMomentsKnown());
                kept.samples = std::move(samples);
                kept.gAsCounts = format == TelemetryFormat::None || format == TelemetryFormat::CameraText;
            }
            carEvents.push_back(std::move(carEvent));
        } else {
            writer->clipMoments(source.clipMomentsKnown());
            writer->track(out, file, samples);
            written = flush(out) && written;
        }
    }
    progress.clear();
    if (const int signal = interrupted.load(); signal != 0) {
        std::fprintf(stderr, "veltara-track: interrupted by signal %d\n", signal);
        return 128 + signal;
    }
    if (options.info) {
        out = options.json ? clipInfoJson(infos) : clipInfoText(infos);
    } else if (trips) {
        std::vector<std::string> names;
        for (const TripClipFigures& clip : tripClips) names.push_back(clip.name);
        const std::vector<Trip> found = buildTrips(tripClips);
        TripEvents events;
        const EventDetector detector(settings, zone);
        for (const Trip& trip : found) {
            std::vector<EventClipTrack> clips;
            for (const size_t k : trip.clips) clips.emplace_back(held[k].samples, held[k].gAsCounts);
            events.push_back(detector.detect(clips));
            // The car's own events beside the detected ones.
            for (uint32_t c = 0; c < trip.clips.size(); ++c)
                if (const auto& car = carEvents[trip.clips[c]]; car && car->onThisClip)
                    events.back().push_back({c, car->timeMs, TripEventKind::Car, 0.0, -1});
            std::stable_sort(events.back().begin(), events.back().end(), [](const TripEvent& a, const TripEvent& b) {
                return a.clip != b.clip ? a.clip < b.clip : a.timeMs < b.timeMs;
            });
        }
        if (options.events)
            out = options.json ? eventsJson(found, names, events, carEvents) : eventsTable(found, names, events, carEvents);
        else
            out = options.json ? tripsJson(found, names, events, carEvents) : tripsTable(found, names);
    } else {
        writer->end(out);
    }
    written = flush(out) && written;
    if (std::fflush(stdout) != 0 || !written) {
        std::fprintf(stderr, "veltara-track: cannot write the output\n");
        return kExitFailed;
    }
    return status;
}
