// A clip's own telemetry data as the player's track: the store's pages on
// the chart's grid and their posts, the live record at a play position, and
// the clips it leaves to the converter's path.
#include "platform/RecordingMessageTarget.h"
#include "support/MadeUpDrive.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"
#include "track/TelemetryExtractor.h"
#include "track/TelemetryMoment.h"
#include "track/TelemetryRecords.h"
#include "track/TrackEvents.h"

#include <gtest/gtest.h>
#include <atomic>
#include <mutex>
#include <climits>
#include <cmath>
#include <thread>

using namespace std::chrono_literals;
using testing_support::ClipLayout;

namespace {

constexpr auto kWait = 10s;

class TelemetryExtractorTest : public ::testing::Test {
protected:
    void SetUp() override {
        extractor.setTarget(&window);
        extractor.setStore(&store);
        extractor.setDisplayZone(DisplayZone::fixed(2 * 3600));
        extractor.setOtherTrackHook([this](uint64_t run, const std::string& path) {
            std::lock_guard lock(handedMutex);
            handedPath = path;
            handedOver.store(run);
        });
    }

    std::string clip(const std::string& name, ClipLayout layout) {
        testing_support::TelemetryClipSpec spec;
        spec.layout = layout;
        const std::string path = folder.path() + name;
        EXPECT_EQ(testing_support::makeTelemetryClip(path, spec), "");
        return path;
    }

    // Starts a run on a cleared store, as the playback controller does.
    void start(const std::string& path, const std::string& partner = {}) {
        window.clear();
        store.clear();
        handedOver.store(0);
        ASSERT_TRUE(extractor.start(path, partner));
    }

    std::vector<TrackRecord> records() const {
        std::vector<TrackRecord> all;
        for (int32_t p = 0; p < store.getReadyPages(); ++p) {
            const TrackPage* page = store.getPage(p);
            all.insert(all.end(), page->records(), page->records() + page->count());
        }
        return all;
    }

    testing_support::TempFolder folder;
    platform::RecordingMessageTarget window;
    TrackStore store;
    TelemetryExtractor extractor;
    std::atomic<uint64_t> handedOver{0};
    std::mutex handedMutex;
    std::string handedPath;  // under handedMutex
    const std::vector<testing_support::DriveMoment> drive = testing_support::madeUpDrive();
};

}  // namespace

TEST_F(TelemetryExtractorTest, AClipsOwnDataFillsTheStoreOnTheChartsGridAndFollowsThePlayPosition) {
    struct Case {
        ClipLayout layout;
        bool gSensor;
    };
    for (const Case c : {Case{ClipLayout::Novatek, false}, Case{ClipLayout::Gpmf, true}}) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        start(clip("own.mp4", c.layout));
        ASSERT_TRUE(window.waitFor(platform::WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE, kWait));
        // One record every 0.2 s up to the last moment (59 s): 296, in 5 pages.
        const int32_t pages = 5;
        const auto allPosted = [&] { return window.countOf(platform::WM_TRACK_EVENT, TRACK_BATCH_READY) == pages; };
        for (auto until = std::chrono::steady_clock::now() + kWait;
             !allPosted() && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(10ms);
        ASSERT_TRUE(allPosted());
        EXPECT_EQ(window.countOf(platform::WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE), 1u);
        EXPECT_TRUE(extractor.ownsClip());
        EXPECT_EQ(handedOver.load(), 0u);
        const std::vector<TrackRecord> track = records();
        ASSERT_EQ(track.size(), 296u);
        // 10.2 s lies between the moments of 10 and 11 s: 60.6 km/h.
        const TrackRecord& r = track[51];
        ASSERT_TRUE(r.valid && hasPositionFix(r));
        EXPECT_NEAR(r.speed, 30.0 + 3.0 * 10.2, 0.2);
        EXPECT_NEAR(r.latitude, drive[10].latitude + (drive[11].latitude - drive[10].latitude) * 0.2, 1e-6);
        EXPECT_EQ(r.hour, 12);  // 10:00:10 UTC at +02:00
        EXPECT_EQ(r.second, 10);
        EXPECT_EQ(r.hasAccel, c.gSensor);
        if (c.gSensor) {
            EXPECT_NEAR(r.accelZ, 2000 + 333.3, 2.0);  // gravity on the chart's scale
        }

        // The live record: interpolated at a paused frame, none past the data.
        EXPECT_TRUE(extractor.followPosition(40'500, 77));
        const TrackRecord live = extractor.liveRecord();
        EXPECT_TRUE(hasPositionFix(live));
        EXPECT_NEAR(live.speed, 90.0 - 0.5 * 70.0 / 3.0, 0.5);
        EXPECT_EQ(live.latitudeHemisphere, 'N');
        EXPECT_TRUE(extractor.followPosition(64'000, 77));
        EXPECT_FALSE(extractor.liveRecord().valid);
        const auto live77 = window.messagesOf(platform::WM_TRACK_LIVE);
        ASSERT_EQ(live77.size(), 2u);
        EXPECT_EQ(live77[0].wParam, 77u);
        EXPECT_EQ(live77[0].lParam, 1);
        EXPECT_EQ(live77[1].lParam, 0);
    }
}

TEST_F(TelemetryExtractorTest, TheCameraTextTrackAndClipsWithoutDataGoToTheConverterAndAStopDropsTheRest) {
    const std::string none = folder.write("not media.mp4", std::string(4096, 'x'));
    for (const std::string& path : {clip("camera.mp4", ClipLayout::CameraText), none}) {
        start(path);
        const uint64_t run = extractor.run();
        for (auto until = std::chrono::steady_clock::now() + kWait;
             handedOver.load() == 0 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(5ms);
        EXPECT_EQ(handedOver.load(), run) << path;
        EXPECT_FALSE(extractor.ownsClip());
        EXPECT_FALSE(extractor.followPosition(1000, 1));
        EXPECT_TRUE(window.messages().empty());
    }

    // A run stopped at once (the next clip) leaves nothing in the store the
    // next clip gets, however far its worker had come.
    const std::string own = clip("own.mp4", ClipLayout::SeventyMai);
    start(own);
    extractor.stop();
    store.clear();
    const uint64_t generation = store.generation();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(store.getReadyPages(), 0);
    EXPECT_EQ(store.generation(), generation);
    EXPECT_FALSE(extractor.ownsClip());
    EXPECT_EQ(extractor.run(), 0u);
}

TEST(TelemetryMoment, DamagedSamplesGiveNoMomentOrAnUnblendedOne) {
    TelemetrySample early, late;
    early.clipMs = INT64_MIN;
    late.clipMs = INT64_MAX;
    late.timeKind = early.timeKind = TelemetryTime::Utc;
    early.timeMs = INT64_MAX;
    late.timeMs = 0;
    TelemetrySample moment;
    EXPECT_FALSE(telemetryMomentAt({early, late}, 0, moment));  // far after the one before
    EXPECT_FALSE(telemetryMomentAt({late}, 0, moment));         // before the first
    early.clipMs = 0;
    early.fix = late.fix = true;
    early.longitude = 179.9;
    late.longitude = -179.9;
    late.clipMs = 1000;
    ASSERT_TRUE(telemetryMomentAt({early, late}, 500, moment));
    EXPECT_EQ(moment.longitude, 179.9);   // not blended across the antimeridian
    EXPECT_EQ(moment.timeMs, INT64_MAX);  // nor a time running backwards
}

TEST(TelemetryMoment, EachReadingComesFromItsOwnChannelNeverAsZeros) {
    // Fixes once a second, G ten times a second (as a BlackVue writes them).
    std::vector<TelemetrySample> samples;
    for (int64_t ms = 0; ms <= 2000; ms += 100) {
        TelemetrySample s;
        s.clipMs = ms;
        s.hasAccel = ms != 1500;
        s.accelZ = 1.0f;
        if (ms % 1000 == 0) {
            s.fix = s.hasSpeed = true;
            s.latitude = 50.0 + static_cast<double>(ms) / 1e5;
            s.longitude = 8.0;
            s.speedKmh = 36.0f;
        }
        samples.push_back(s);
    }
    TelemetrySample moment;
    for (const int64_t at : {0, 300, 550, 1500, 1550, 2000}) {
        ASSERT_TRUE(telemetryMomentAt(samples, at, moment)) << at;
        // Between two fixes the car is between them, never at 0/0 or without a fix.
        EXPECT_TRUE(moment.fix && moment.hasSpeed) << at;
        EXPECT_NEAR(moment.latitude, 50.0 + static_cast<double>(at) / 1e5, 1e-9) << at;
        EXPECT_EQ(moment.speedKmh, 36.0f);
        // The moment without a G reading takes its neighbours' G, not zeros.
        EXPECT_TRUE(moment.hasAccel) << at;
        EXPECT_FLOAT_EQ(moment.accelZ, 1.0f) << at;
    }
    // A fix older than the hold is no position any more; a record of it says so.
    samples.resize(11);
    for (TelemetrySample& s : samples) s.fix = s.fix && s.clipMs == 0;
    samples.push_back(samples.back());
    samples.back().clipMs = 4000;
    ASSERT_TRUE(telemetryMomentAt(samples, 4000, moment));
    EXPECT_FALSE(moment.fix);
    const TrackRecord record = trackRecordOf(moment, DisplayZone::fixed(0));
    EXPECT_FALSE(hasPositionFix(record));
    EXPECT_FALSE(record.hasFix);
}

TEST_F(TelemetryExtractorTest, AClipWithoutTrackTakesItsPartnersTrack) {
    const std::string bare = folder.write("bare_R.mp4", std::string(4096, 'x'));
    // The partner's own data fills the store.
    start(bare, clip("front_F.mp4", ClipLayout::Novatek));
    ASSERT_TRUE(window.waitFor(platform::WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE, kWait));
    EXPECT_TRUE(extractor.ownsClip());
    // The partner's camera text goes to the converter in the clip's place.
    const std::string text = clip("text_F.mp4", ClipLayout::CameraText);
    start(bare, text);
    for (auto until = std::chrono::steady_clock::now() + kWait;
         handedOver.load() == 0 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(5ms);
    std::lock_guard lock(handedMutex);
    EXPECT_EQ(handedPath, text);
}
