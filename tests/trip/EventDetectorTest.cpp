// Events found in generated tracks: a braking and an impact where they
// happened, nothing in a long steady drive with a tilted camera, one event
// for a cluster across a clip boundary, and settings that fall back when
// a hand-edited file gives nonsense.
#include "support/DriveRecords.h"
#include "trip/EventDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr double kTilt = 20.0 * 3.14159265358979 / 180.0;

// A clip recorded five times a second from 10:00:00 by a camera tilted by
// 20 degrees: speed(t) in km/h, push(t) the car's forward acceleration and
// bump(t) a vertical one, both in G.
struct Drive {
    std::vector<TrackRecord> records;
    std::vector<int64_t> timesMs;
    std::vector<TelemetrySample> samples;
    EventClipTrack clip() {
        samples = testing_support::samplesOf(records, timesMs);
        return {samples};
    }
};

template <typename Speed, typename Push, typename Bump>
Drive drive(double seconds, Speed speed, Push push, Bump bump, double noise = 0.0, int startSecond = 0,
            bool fix = true) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-noise, noise);
    const EventSettings scale;
    Drive d;
    for (int i = 0; i * 0.2 < seconds; ++i) {
        const double t = i * 0.2;
        TrackRecord r;
        r.valid = true;
        const int clock = startSecond + static_cast<int>(t);
        r.year = 2026, r.month = 12, r.day = 7, r.hour = 10;
        r.minute = static_cast<uint8_t>(clock / 60), r.second = static_cast<uint8_t>(clock % 60);
        r.latitude = fix ? 48.0 + t * 1e-5 : 0.0;
        r.longitude = fix ? 8.0 : 0.0;
        r.speed = static_cast<float>(speed(t));
        // Gravity and the bump along the camera's tilted up, the push across it.
        const double up = 1.0 + bump(t), forward = push(t);
        const double y = up * std::sin(kTilt) + forward * std::cos(kTilt);
        const double z = up * std::cos(kTilt) - forward * std::sin(kTilt);
        const auto count = [&](double g) {
            return static_cast<int32_t>(std::lround(scale.zeroCount + (g + jitter(random)) * scale.countsPerG));
        };
        r.accelX = count(0.0), r.accelY = count(y), r.accelZ = count(z);
        d.records.push_back(r);
        d.timesMs.push_back(static_cast<int64_t>(i) * 200);
    }
    return d;
}

// 80 to 10 km/h between 28.5 and 31.5 s: 0.66 G.
double braking(double t) {
    return t < 28.5 ? 80.0 : t < 31.5 ? 80.0 - (t - 28.5) * 70.0 / 3.0 : 10.0;
}
double brakingPush(double t) {
    return t >= 28.5 && t < 31.5 ? -70.0 / 3.6 / 3.0 / EventDetector::kStandardGravity : 0.0;
}
double none(double) {
    return 0.0;
}

}  // namespace

TEST(EventDetector, FindsBrakingsAndImpactsWhereTheyHappened) {
    const EventDetector detector;
    // The G-sensor and the GPS together, the GPS alone (a camera without a
    // G-sensor writes 0 G, i.e. no resting vector), and the G-sensor with
    // noise: each a single braking near 30 s.
    Drive both = drive(60, braking, brakingPush, none);
    Drive gpsOnly = both;
    for (TrackRecord& r : gpsOnly.records) r.accelX = r.accelY = r.accelZ = 2000;
    Drive noisy = drive(60, braking, brakingPush, none, 0.05);
    for (Drive* d : {&both, &gpsOnly, &noisy}) {
        const auto events = detector.detect({d->clip()});
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0].kind, TripEventKind::Brake);
        EXPECT_NEAR(static_cast<double>(events[0].timeMs), 30000, 1000);
        EXPECT_NEAR(events[0].peakG, 0.66, 0.15);
    }

    // A 2.5 G spike at 45 s while driving steadily.
    Drive bump = drive(
        60, [](double) { return 50.0; }, none, [](double t) { return std::abs(t - 45.0) < 0.1 ? 2.5 : 0.0; }, 0.05);
    const auto events = detector.detect({bump.clip()});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, TripEventKind::Impact);
    EXPECT_NEAR(static_cast<double>(events[0].timeMs), 45000, 500);
    EXPECT_NEAR(events[0].peakG, 2.5, 0.15);

    // A hard push without a GPS speed (no fix) cannot be told from a turn.
    Drive noFix = drive(60, braking, brakingPush, none, 0.0, 0, false);
    EXPECT_TRUE(detector.detect({noFix.clip()}).empty());
}

TEST(EventDetector, SteadyDrivingWithATiltedCameraGivesNoEvent) {
    Drive steady = drive(
        600, [](double t) { return 60.0 + 2.0 * std::sin(t / 20.0); }, none, none, 0.05);
    EXPECT_TRUE(EventDetector().detect({steady.clip()}).empty());
}

TEST(EventDetector, EventsOfOneKindCloseTogetherAreOneAcrossClips) {
    // Spikes of 2 G at 59.6 s of the first clip and 3 G at 1 s of the next
    // (which starts at 10:01:00): one impact, at the stronger.
    const auto spike = [](double at, double g) { return [=](double t) { return std::abs(t - at) < 0.1 ? g : 0.0; }; };
    const auto steady = [](double) { return 50.0; };
    Drive first = drive(60, steady, none, spike(59.6, 2.0));
    Drive second = drive(60, steady, none, spike(1.0, 3.0), 0.0, 60);
    const auto events = EventDetector().detect({first.clip(), second.clip()});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].clip, 1u);
    EXPECT_NEAR(static_cast<double>(events[0].timeMs), 1000, 200);
}

TEST(EventSettings, NonsenseFallsBackToTheDefault) {
    EXPECT_DOUBLE_EQ(EventSettings::parseSetting(" 0.6 ", 0.05, 5, 0.45), 0.6);
    EXPECT_DOUBLE_EQ(EventSettings::parseSetting("+2", 0.05, 5, 0.45), 2.0);
    for (const char* text : {"", "abc", "0,6", "0.6x", "nan", "inf", "1e999", "-1", "99", "0x1p3"})
        EXPECT_DOUBLE_EQ(EventSettings::parseSetting(text, 0.05, 5, 0.45), 0.45) << text;
}

TEST(EventDetector, DamagedTracksGiveNoOverflowAndNoNegativeMoment) {
    Drive d = drive(
        5, [](double) { return 50.0; }, none, none);
    // Fewer cue times than records, out of order and at the ends of the range;
    // axes at the ends of theirs; a speed that is no number.
    d.timesMs = {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(), -5, 0};
    d.records[3].accelZ = std::numeric_limits<int32_t>::max();
    d.records[4].accelX = std::numeric_limits<int32_t>::min();
    d.records[5].speed = std::numeric_limits<float>::quiet_NaN();
    const EventClipTrack damaged = d.clip();
    const auto events = EventDetector().detect({damaged, damaged});
    EXPECT_FALSE(events.empty());  // the axes' extremes are impacts
    for (const TripEvent& e : events) EXPECT_GE(e.timeMs, 0);
}

TEST(EventDetector, ACarsBrakingComesFromItsOwnDecelerationAndStartsWithTheBrake) {
    // Ten records a second: the car's forward acceleration, its brake, and a
    // GPS speed that falls steeply at 8 s without any deceleration of its own.
    const EventSettings scale;
    const auto car = [&](bool pressed) {
        Drive d;
        for (int i = 0; i < 100; ++i) {
            const double t = i * 0.1;
            TrackRecord r;
            r.valid = true;
            r.year = 2026, r.month = 12, r.day = 7, r.hour = 10, r.second = static_cast<uint8_t>(t);
            r.latitude = 48.0 + t * 1e-5, r.longitude = 8.0;
            r.speed = static_cast<float>(t < 8.0 ? 80.0 : 80.0 - (t - 8.0) * 40.0);
            // 0.6 G from 4.0 to 5.0 s; 0.8 G for 0.2 s at 7 s, too short.
            const double g = t >= 4.0 && t < 5.0 ? -0.6 : t >= 7.0 && t < 7.2 ? -0.8 : 0.0;
            r.accelX = static_cast<int32_t>(std::lround(scale.zeroCount + g * scale.countsPerG));
            r.accelY = static_cast<int32_t>(scale.zeroCount);
            r.accelZ = static_cast<int32_t>(std::lround(scale.zeroCount + scale.countsPerG));
            r.vehicle.emplace().brake = pressed && ((t >= 3.5 && t < 5.5) || (t >= 6.95 && t < 7.3));
            d.records.push_back(r);
            d.timesMs.push_back(i * 100);
        }
        return d;
    };
    const EventDetector detector;
    const auto events = detector.detect({car(true).clip()});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, TripEventKind::Brake);
    EXPECT_EQ(events[0].timeMs, 3500);  // where the brake went on
    EXPECT_NEAR(events[0].peakG, 0.6, 0.01);
    // Without a press the braking stands at its middle.
    const auto unpressed = detector.detect({car(false).clip()});
    ASSERT_EQ(unpressed.size(), 1u);
    EXPECT_NEAR(static_cast<double>(unpressed[0].timeMs), 4500, 100);
}

TEST(EventDetector, ReadsGAndFixesThatComeAtTheirOwnRatesAndACameraTextsCountsOnTheSettingsScale) {
    // G ten times a second without a fix, a fix once a second without G:
    // the braking of braking() and a 2.5 G bump at 45 s, nothing invented
    // where a sample lacks one of them.
    std::vector<TelemetrySample> samples;
    for (int i = 0; i < 600; ++i) {
        const double t = i * 0.1;
        TelemetrySample s;
        s.clipMs = i * 100;
        s.timeMs = int64_t{1'796'637'600'000} + s.clipMs;  // 2026-12-07 10:00 on the camera's clock
        s.timeKind = TelemetryTime::Camera;
        if (i % 10 == 0) {
            TelemetrySample fix = s;
            fix.fix = true, fix.latitude = 48.0 + t * 1e-5, fix.longitude = 8.0;
            fix.hasSpeed = true, fix.speedKmh = static_cast<float>(braking(t));
            samples.push_back(fix);
        }
        s.hasAccel = true;
        s.accelY = static_cast<float>(brakingPush(t));
        s.accelZ = static_cast<float>(1.0 + (std::abs(t - 45.0) < 0.05 ? 2.5 : 0.0));
        samples.push_back(s);
    }
    const auto kinds = [](const std::vector<TripEvent>& events) {
        std::vector<TripEventKind> out;
        for (const TripEvent& e : events) out.push_back(e.kind);
        return out;
    };
    // Sensitive to bumps: a fix read as 0 G would be a 1 G one each second.
    EventSettings sensitive;
    sensitive.impactG = 0.9;
    sensitive.mergeSeconds = 0.9;
    const auto events = EventDetector(sensitive).detect({EventClipTrack(samples)});
    ASSERT_EQ(kinds(events), (std::vector{TripEventKind::Brake, TripEventKind::Impact}));
    EXPECT_NEAR(static_cast<double>(events[0].timeMs), 30000, 1000);

    // The same G as a camera text's counts, on a scale of twice as many
    // counts a G: the bump reads 1.25 G, no impact; the GPS still brakes.
    EventSettings fine = sensitive;
    fine.impactG = 1.5;
    fine.countsPerG *= 2;
    EXPECT_EQ(kinds(EventDetector(fine).detect({EventClipTrack(samples, true)})), (std::vector{TripEventKind::Brake}));
}
