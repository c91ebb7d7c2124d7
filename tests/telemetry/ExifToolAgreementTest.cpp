// ExifTool, our reader and the made-up drive agree on every fix of a
// generated clip, for each layout ExifTool reads: an independent check of
// the clip writers and the readers both.
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"

#include "platform/ChildProcess.h"
#include "telemetry/TelemetryReaders.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr double kDegrees = 1e-5;

enum class ExifTime { FromData, GpsEpochUnadjusted };

struct Agreement {
    const char* name;
    ClipLayout layout;
    TelemetryFormat format;
    double speedTolerance = 0.01;  // km/h; negative: ExifTool gives none
    double exifSpeedFactor = 1.0;  // ExifTool's unit per km/h (GPMF: m/s)
    int perSecond = 1;
    bool withVideo = false;
    ExifTime exifTime = ExifTime::FromData;
};

void PrintTo(const Agreement& a, std::ostream* os) {
    *os << a.name;
}

class ExifToolAgreement : public ::testing::TestWithParam<Agreement> {};

// Its streams as ffprobe lists them: "video,audio,...".
std::string streamTypes(const std::string& path) {
    platform::ChildProcess probe;
    platform::ChildProcess::Options options;
    options.inheritStderr = true;
    if (probe.start({"/usr/bin/ffprobe", "-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0", path},
                    options))
        return "ffprobe did not start";
    probe.closeStdin();
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(probe.stdoutFd(), buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    probe.waitFor(std::chrono::seconds(30));
    std::string list;
    for (char c : out) list += c == '\n' ? ',' : c;
    return list;
}

TEST_P(ExifToolAgreement, EveryFixOfTheDrive) {
    if (!exifToolAvailable()) GTEST_SKIP() << "exiftool is not installed";
    const Agreement& a = GetParam();
    TempFolder folder;
    const std::string clip = folder.path() + "clip.mp4";
    TelemetryClipSpec spec;
    spec.layout = a.layout;
    spec.withVideo = a.withVideo;
    // Southern and western hemispheres, and a start without a fix.
    spec.drive = madeUpDrive({30.0, a.perSecond, kDriveStartUtcMs, -33.8688, -70.6483, 3});
    ASSERT_EQ(makeTelemetryClip(clip, spec), "");
    if (a.withVideo) {
        EXPECT_EQ(streamTypes(clip).substr(0, 12), "video,audio,");
    }

    std::vector<DriveMoment> fixes;
    for (const DriveMoment& m : spec.drive)
        if (m.fix) fixes.push_back(m);

    std::vector<ExifToolFix> exif;
    std::string error;
    ASSERT_TRUE(exifToolFixes(clip, exif, error)) << error;
    // ExifTool reports the placeholders of moments without a fix as positions.
    std::erase_if(exif, [](const ExifToolFix& f) { return !plausiblePosition(f.latitude, f.longitude); });
    ASSERT_EQ(exif.size(), fixes.size()) << "ExifTool";
    for (size_t i = 0; i < fixes.size(); ++i) {
        SCOPED_TRACE("ExifTool fix " + std::to_string(i));
        EXPECT_NEAR(exif[i].latitude, fixes[i].latitude, kDegrees);
        EXPECT_NEAR(exif[i].longitude, fixes[i].longitude, kDegrees);
        if (exif[i].utcMs != 0) {
            // CAMM: ExifTool takes GPS seconds for UTC, leap seconds and all.
            const int64_t ahead = a.exifTime == ExifTime::GpsEpochUnadjusted ? 18000 : 0;
            EXPECT_EQ(exif[i].utcMs, fixes[i].utcMs + ahead);
        }
        if (a.speedTolerance >= 0) {
            EXPECT_NEAR(exif[i].speed / a.exifSpeedFactor, fixes[i].speedKmh, a.speedTolerance);
        }
    }

    ClipTelemetry ours;
    ASSERT_TRUE(readTelemetryFile(clip, ours, error)) << error;
    EXPECT_EQ(ours.format, a.format);
    std::vector<TelemetrySample> read;
    for (const TelemetrySample& s : ours.samples)
        if (s.fix) read.push_back(s);
    ASSERT_EQ(read.size(), fixes.size()) << "our reader";
    for (size_t i = 0; i < fixes.size(); ++i) {
        SCOPED_TRACE("our fix " + std::to_string(i));
        EXPECT_NEAR(read[i].latitude, exif[i].latitude, kDegrees);
        EXPECT_NEAR(read[i].longitude, exif[i].longitude, kDegrees);
        EXPECT_EQ(read[i].timeMs, fixes[i].utcMs);
        if (a.speedTolerance >= 0) {
            ASSERT_TRUE(read[i].hasSpeed);
            EXPECT_NEAR(read[i].speedKmh, fixes[i].speedKmh, std::max(a.speedTolerance, 0.01));
        }
    }
}

const double kMph = 1.609344;

INSTANTIATE_TEST_SUITE_P(
    Layouts, ExifToolAgreement,
    ::testing::Values(
        Agreement{.name = "Novatek", .layout = ClipLayout::Novatek, .format = TelemetryFormat::Novatek},
        Agreement{.name = "NovatekV3", .layout = ClipLayout::NovatekV3, .format = TelemetryFormat::NovatekV3},
        Agreement{
            .name = "NovatekDoubles", .layout = ClipLayout::NovatekDoubles, .format = TelemetryFormat::NovatekDoubles},
        Agreement{.name = "Nmea", .layout = ClipLayout::Nmea, .format = TelemetryFormat::Nmea, .perSecond = 2},
        Agreement{.name = "Thinkware", .layout = ClipLayout::Thinkware, .format = TelemetryFormat::Thinkware},
        Agreement{.name = "BlackVue", .layout = ClipLayout::BlackVue, .format = TelemetryFormat::BlackVue},
        Agreement{
            .name = "Gpmf", .layout = ClipLayout::Gpmf, .format = TelemetryFormat::Gpmf, .exifSpeedFactor = 1 / 3.6},
        Agreement{.name = "Camm",
                  .layout = ClipLayout::Camm,
                  .format = TelemetryFormat::Camm,
                  .speedTolerance = -1,
                  .perSecond = 5,
                  .exifTime = ExifTime::GpsEpochUnadjusted},
        Agreement{.name = "Garmin",
                  .layout = ClipLayout::Garmin,
                  .format = TelemetryFormat::Garmin,
                  .speedTolerance = kMph / 2 + 0.01},
        Agreement{.name = "SeventyMai", .layout = ClipLayout::SeventyMai, .format = TelemetryFormat::SeventyMai},
        // Data added to a real clip: boxes in front of its mdat, a track beside its video.
        Agreement{.name = "SeventyMaiInVideo",
                  .layout = ClipLayout::SeventyMai,
                  .format = TelemetryFormat::SeventyMai,
                  .withVideo = true},
        Agreement{.name = "GpmfInVideo",
                  .layout = ClipLayout::Gpmf,
                  .format = TelemetryFormat::Gpmf,
                  .exifSpeedFactor = 1 / 3.6,
                  .withVideo = true}),
    [](const ::testing::TestParamInfo<Agreement>& param) { return std::string(param.param.name); });

}  // namespace
