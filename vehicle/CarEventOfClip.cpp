#include "vehicle/CarEventOfClip.h"

#include "cameras/CameraNaming.h"
#include "platform/FileSystem.h"
#include "track/CameraTime.h"
#include "vehicle/CarEventReader.h"
#include "vehicle/CarFolder.h"

#include <algorithm>
#include <cmath>

std::optional<CarEventMark> CarEventOfClip::find(const std::string& clipPath) {
    const std::string folder = CarFolder::eventFolderOf(clipPath);
    if (folder.empty()) return std::nullopt;
    const cameras::ClipName name = cameras::CameraNaming::parse(clipPath);
    if (name.family != cameras::CameraFamily::Tesla || !name.startSeconds) return std::nullopt;
    CarEventMark mark;
    mark.sentry = CarFolder::groupOf(clipPath) == CarFolderGroup::Sentry;
    mark.event = CarEventReader::readFile(folder + "event.json");
    // Without its own time the event is at its folder's, which the car names after it.
    std::optional<int64_t> moment = mark.event.localSeconds;
    if (!moment) moment = CarEventReader::localMoment(platform::fileName(folder.substr(0, folder.size() - 1)));
    if (!moment) return mark;

    // The event is on the clip of this camera that started last before it
    // (the first one when all started after it).
    std::vector<platform::DirectoryEntry> items;
    std::optional<int64_t> before, first;
    if (platform::listDirectory(folder, items)) {
        for (const platform::DirectoryEntry& item : items) {
            if (item.isDirectory) continue;
            const cameras::ClipName other = cameras::CameraNaming::parse(item.name);
            if (!other.sameStream(name) || !other.startSeconds) continue;
            const int64_t start = *other.startSeconds;
            if (start <= *moment && (!before || start > *before)) before = start;
            if (!first || start < *first) first = start;
        }
    }
    const std::optional<int64_t> chosen = before ? before : first;
    if (chosen != name.startSeconds) return mark;
    mark.onThisClip = true;
    mark.timeMs = std::clamp<int64_t>(*moment - *name.startSeconds, 0, kClipSeconds - 1) * 1000;
    return mark;
}

bool CarEventOfClip::place(const std::string& clipPath, const CarEventMark& mark, std::vector<TrackRecord>& records,
                           std::vector<int64_t>& timesMs) {
    if (!mark.event.hasPlace() || std::any_of(records.begin(), records.end(), hasPositionFix)) return false;
    if (!records.empty() && timesMs.size() != records.size()) return false;
    const std::optional<int64_t> start = cameras::CameraNaming::parse(clipPath).startSeconds;
    TrackRecord r;
    if (!start || !setCameraSeconds(*start, r)) return false;
    r.valid = true;
    r.hasAccel = false;
    r.latitude = *mark.event.latitude;
    r.longitude = *mark.event.longitude;
    r.latitudeHemisphere = r.latitude < 0 ? 'S' : 'N';
    r.longitudeHemisphere = r.longitude < 0 ? 'W' : 'E';
    records.insert(records.begin(), r);
    timesMs.insert(timesMs.begin(), 0);
    return true;
}

bool CarEventOfClip::place(const std::string& clipPath, const CarEventMark& mark,
                           std::vector<TelemetrySample>& samples) {
    const auto hasFix = [](const TelemetrySample& s) { return s.fix; };
    if (!mark.event.hasPlace() || std::any_of(samples.begin(), samples.end(), hasFix)) return false;
    const std::optional<int64_t> start = cameras::CameraNaming::parse(clipPath).startSeconds;
    TrackRecord shown;
    if (!start || !setCameraSeconds(*start, shown)) return false;
    TelemetrySample s;
    s.timeKind = TelemetryTime::Camera;
    s.timeMs = *start * 1000;
    s.fix = true;
    s.latitude = *mark.event.latitude;
    s.longitude = *mark.event.longitude;
    samples.insert(samples.begin(), s);
    return true;
}
