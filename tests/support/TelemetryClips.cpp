#include "support/TelemetryClips.h"

#include "support/Bytes.h"
#include "support/ClipFactory.h"
#include "support/Mp4Writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

namespace testing_support {

using namespace bytes;

namespace {

int64_t driveMs(const TelemetryClipSpec& spec) {
    if (spec.videoSeconds > 0) return std::llround(spec.videoSeconds * 1000.0);
    if (spec.drive.empty()) return 1000;
    const int64_t step = spec.drive.size() > 1 ? spec.drive[1].clipMs - spec.drive[0].clipMs : 1000;
    return spec.drive.back().clipMs + step;
}

// One sample a moment, each lasting until the next one.
Mp4Track momentTrack(const TelemetryClipSpec& spec, const char* handler, const char* name, std::string entry,
                     const std::function<std::string(const DriveMoment&)>& sample) {
    Mp4Track track{handler, name, std::move(entry), 1000, {}, {}};
    const int64_t end = driveMs(spec);
    for (size_t i = 0; i < spec.drive.size(); ++i) {
        track.samples.push_back(sample(spec.drive[i]));
        const int64_t next = i + 1 < spec.drive.size() ? spec.drive[i + 1].clipMs : end;
        track.durations.push_back(static_cast<uint32_t>(std::max<int64_t>(1, next - spec.drive[i].clipMs)));
    }
    return track;
}

// One GPMF sample a second of the clip.
Mp4Track gpmfTrack(const TelemetryClipSpec& spec) {
    Mp4Track track{"meta", "GoPro MET", Mp4Writer::plainSampleEntry("gpmd"), 1000, {}, {}};
    for (size_t i = 0; i < spec.drive.size();) {
        const int64_t second = spec.drive[i].clipMs / 1000;
        std::vector<DriveMoment> moments;
        for (; i < spec.drive.size() && spec.drive[i].clipMs / 1000 == second; ++i) moments.push_back(spec.drive[i]);
        track.samples.push_back(gpmfSample(moments, spec.layout == ClipLayout::GpmfGps9));
        track.durations.push_back(1000);
    }
    return track;
}

std::string novatekIndex(const std::vector<uint64_t>& offsets, uint32_t blockSize) {
    std::string p;
    u32be(p, 0x101);  // version
    u32be(p, offsets.size());
    for (uint64_t o : offsets) {
        u32be(p, o);
        u32be(p, blockSize);
    }
    return box("gps ", p);
}

std::string stem(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
}

std::string writeText(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "cannot write " + path;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok ? "" : "cannot write " + path;
}

// The camera's own text: local time as the UTC moment reads, degrees,
// minutes and seconds, knots, G-sensor counts (2000 at 0 G, 333.3 a G).
std::string cameraText(const DriveMoment& m) {
    const time_t seconds = static_cast<time_t>(m.utcMs / 1000);
    std::tm t{};
    gmtime_r(&seconds, &t);
    const auto dms = [](double degrees, char positive, char negative) {
        const auto hundredths = static_cast<long long>(std::llround(std::fabs(degrees) * 360000.0));
        char text[32];
        std::snprintf(text, sizeof text, "%c%lld %02lld %05.2f", degrees < 0 ? negative : positive, hundredths / 360000,
                      hundredths / 6000 % 60, static_cast<double>(hundredths % 6000) / 100.0);
        return std::string(text);
    };
    const auto counts = [](double g) { return static_cast<int>(std::lround(2000.0 + 333.3 * g)); };
    char text[160];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d/%s/%s/%.1f/X:%d/Y:%d/Z:%d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  dms(m.fix ? m.longitude : 0.0, 'E', 'W').c_str(),  // the camera's "no fix"
                  dms(m.fix ? m.latitude : 0.0, 'N', 'S').c_str(), m.fix ? m.speedKmh / 1.852 : 0.0, counts(m.gx), counts(m.gy),
                  counts(m.gz));
    return text;
}

std::string cameraTextClip(const std::string& path, const TelemetryClipSpec& spec) {
    ClipSpec clip;
    for (const DriveMoment& m : spec.drive) clip.trackTexts.push_back(cameraText(m));
    const int64_t stepMs = spec.drive.size() > 1 ? spec.drive[1].clipMs - spec.drive[0].clipMs : 1000;
    clip.cueSeconds = static_cast<double>(stepMs) / 1000.0;
    clip.durationSeconds = static_cast<double>(driveMs(spec)) / 1000.0;
    clip.withVideo = clip.withAudio = spec.withVideo;
    clip.width = spec.width;
    clip.height = spec.height;
    clip.frameRate = spec.frameRate;
    return makeClip(path, clip);
}

}  // namespace

std::string makeTelemetryClip(const std::string& path, const TelemetryClipSpec& spec) {
    if (spec.layout == ClipLayout::CameraText) return cameraTextClip(path, spec);

    Mp4Writer writer(spec.creationUnixSeconds, driveMs(spec));
    switch (spec.layout) {
        case ClipLayout::Novatek:
        case ClipLayout::NovatekV3:
        case ClipLayout::NovatekDoubles: {
            uint32_t blockSize = 0;
            for (const DriveMoment& m : spec.drive) {
                std::string block = novatekBlock(m, spec.layout, spec.novatekLocalTime);
                blockSize = static_cast<uint32_t>(block.size());
                writer.addMediaData(std::move(block));
            }
            if (spec.novatekIndex)
                writer.addMoovChild(
                    [blockSize](const std::vector<uint64_t>& offsets) { return novatekIndex(offsets, blockSize); });
            break;
        }
        case ClipLayout::Nmea:
        case ClipLayout::Thinkware: {
            const bool thinkware = spec.layout == ClipLayout::Thinkware;
            writer.addTrack(momentTrack(spec, "text", "GPS", Mp4Writer::textSampleEntry(),
                                        [thinkware](const DriveMoment& m) { return nmeaSample(m, thinkware); }));
            break;
        }
        case ClipLayout::Garmin:
            writer.addTrack(momentTrack(spec, "text", "GarminGPS", Mp4Writer::textSampleEntry(), garminSample));
            break;
        case ClipLayout::Gpmf:
        case ClipLayout::GpmfGps9:
            writer.addTrack(gpmfTrack(spec));
            break;
        case ClipLayout::Camm:
            writer.addTrack(momentTrack(spec, "meta", "CameraMetadataMotionHandler",
                                        Mp4Writer::plainSampleEntry("camm"), cammSample));
            break;
        case ClipLayout::SeventyMai:
            writer.addTopBox(seventyMaiBox(spec.drive));
            break;
        case ClipLayout::BlackVue:
            if (spec.blackVueSidecars) {
                const std::string base = stem(path);
                if (std::string e = writeText(base + ".gps", blackVueGpsText(spec.drive)); !e.empty()) return e;
                if (std::string e = writeText(base + ".3gf", blackVue3gf(spec.drive)); !e.empty()) return e;
            } else {
                writer.addTopBox(blackVueFreeBox(spec.drive));
            }
            break;
        case ClipLayout::CameraText:
            break;
    }
    if (!spec.withVideo) return writer.write(path);

    ClipSpec video;
    video.withSubtitle = false;
    video.durationSeconds = static_cast<double>(driveMs(spec)) / 1000.0;
    video.width = spec.width;
    video.height = spec.height;
    video.frameRate = spec.frameRate;
    if (std::string e = makeClip(path, video); !e.empty()) return e;
    return writer.addTo(path);
}

}  // namespace testing_support
