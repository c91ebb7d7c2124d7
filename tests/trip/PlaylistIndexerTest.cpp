// The playlist's background reader: current clip first, trips and unreadable
// clips in its snapshots, the index as the cache of a later run, a list
// replaced while reading, an index that cannot be opened, and stop.
#include "support/ClipFactory.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"
#include "trackindex/TrackIndex.h"
#include "trip/PlaylistIndexer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>

using testing_support::TempFolder;

namespace {

class Updates {
public:
    PlaylistIndexer::Listener listener() {
        return [this](const PlaylistIndexer::Update& update) {
            std::lock_guard<std::mutex> lock(mutex_);
            all_.push_back(update);
            changed_.notify_all();
        };
    }
    // The first snapshot that has read all of its list.
    PlaylistIndexer::Update waitForAll(size_t total) {
        std::unique_lock<std::mutex> lock(mutex_);
        PlaylistIndexer::Update found;
        changed_.wait_for(lock, std::chrono::seconds(60), [&] {
            for (const auto& u : all_)
                if (u.trips && u.done == total && u.total == total && u.trips->clips().size() == total) {
                    found = u;
                    return true;
                }
            return false;
        });
        return found;
    }
    // Waits for more than `count` updates.
    bool waitForMore(size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [&] { return all_.size() > count; });
    }
    std::vector<PlaylistIndexer::Update> all() {
        std::lock_guard<std::mutex> lock(mutex_);
        return all_;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        all_.clear();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PlaylistIndexer::Update> all_;
};

// A clip of five track texts from camera moment `from` on.
std::string makeClip(const TempFolder& tmp, const std::string& name, int from) {
    testing_support::ClipSpec spec;
    for (int i = 0; i < 5; ++i) spec.trackTexts.push_back(testing_support::cameraTrackText(from + i));
    spec.durationSeconds = 1.0;
    spec.withAudio = false;
    spec.width = 32;
    spec.height = 18;
    spec.frameRate = 1;
    const std::string path = tmp.path() + name;
    EXPECT_EQ(testing_support::makeClip(path, spec), "");
    return path;
}

}  // namespace

TEST(PlaylistIndexer, ReadsCurrentFirstFormsTripsAndCachesInTheIndex) {
    TempFolder tmp;
    const std::string a = makeClip(tmp, "2016_0520_103000_F.mp4", 0);
    const std::string b = makeClip(tmp, "2016_0520_103005_F.mp4", 5);
    const std::string c = makeClip(tmp, "2016_0520_104700_F.mp4", 1000);  // 16 minutes on: another trip
    const std::string bad = tmp.write("2016_0520_110000_F.mp4", "not a clip at all");
    const std::string index = tmp.path() + "cache/track-index.sqlite";

    Updates updates;
    {
        PlaylistIndexer indexer(updates.listener(), index);
        indexer.setClips({a, b, c, bad}, c);
        const PlaylistIndexer::Update last = updates.waitForAll(4);
        ASSERT_TRUE(last.trips);
        const auto first = updates.all().front();
        ASSERT_TRUE(first.trips) << "the current clip's snapshot goes out at once";
        EXPECT_EQ(first.done, 1u);
        EXPECT_TRUE(first.trips->clip(c));

        const TripSet& set = *last.trips;
        ASSERT_EQ(set.trips().size(), 2u);
        size_t at = 9;
        const TripRoute* drive = set.tripOf(b, &at);
        ASSERT_TRUE(drive);
        EXPECT_EQ(drive->clipPaths, (std::vector<std::string>{a, b}));
        EXPECT_EQ(at, 1u);
        EXPECT_EQ(drive->fixes.size(), 10u);
        EXPECT_GT(drive->figures.distanceMetres(), 0.0);
        EXPECT_NE(set.tripOf(c), drive);
        ASSERT_TRUE(set.clip(bad));
        EXPECT_FALSE(set.clip(bad)->readable());
        EXPECT_FALSE(set.clip(bad)->problem.empty());
        EXPECT_FALSE(set.tripOf(bad));
    }

    // The index holds b for a later run; written over with the same size and
    // time it is another state of the file, and read again.
    {
        TrackIndex kept;
        ASSERT_TRUE(kept.open(index));
        ClipKey key;
        ASSERT_TRUE(ClipKey::of(b, key));
        ClipReading cues;
        std::string reason;
        EXPECT_EQ(kept.find(key, cues, reason), TrackIndex::Lookup::Track);
        EXPECT_EQ(cues.telemetry.samples.size(), 5u);
    }
    struct stat before {};
    ASSERT_EQ(::stat(b.c_str(), &before), 0);
    {
        std::ofstream out(b, std::ios::binary | std::ios::trunc);
        out << std::string(static_cast<size_t>(before.st_size), 'x');
    }
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, b.c_str(), times, 0), 0);
    updates.clear();
    PlaylistIndexer again(updates.listener(), index);
    again.setClips({a, b}, "");
    const PlaylistIndexer::Update reread = updates.waitForAll(2);
    ASSERT_TRUE(reread.trips);
    ASSERT_TRUE(reread.trips->clip(b));
    EXPECT_FALSE(reread.trips->clip(b)->readable());
    EXPECT_TRUE(reread.trips->clip(a)->readable());
}

TEST(PlaylistIndexer, FollowsAReplacedListWithoutIndexAndStops) {
    TempFolder tmp;
    const std::string one = makeClip(tmp, "2016_0520_103000_R.mp4", 0);
    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i) {
        many.push_back(tmp.path() + "copy" + std::to_string(i) + "_R.mp4");
        std::filesystem::copy_file(one, many.back());
    }
    // The index's folder would be below a plain file: no index, every clip read directly.
    const std::string noIndex = tmp.write("plain", "x") + "/track-index.sqlite";

    Updates updates;
    PlaylistIndexer indexer(updates.listener(), noIndex);
    indexer.setClips(many, many[0]);
    indexer.setClips({one}, "");
    const PlaylistIndexer::Update last = updates.waitForAll(1);
    ASSERT_TRUE(last.trips);
    EXPECT_TRUE(last.trips->clip(one));
    EXPECT_TRUE(last.trips->clip(one)->readable());
    EXPECT_EQ(last.trips->trips().size(), 1u);

    // The same clips again (another current clip): progress, no new snapshot.
    ASSERT_TRUE(updates.waitForMore(0));
    const size_t before = updates.all().size();
    indexer.setClips({one}, one);
    ASSERT_TRUE(updates.waitForMore(before));
    EXPECT_FALSE(updates.all().back().trips);
    EXPECT_EQ(updates.all().back().done, 1u);

    // Stop while many clips wait: it returns, and nothing is heard afterwards.
    indexer.setClips(many, "");
    indexer.stop();
    const size_t heard = updates.all().size();
    indexer.setClips(many, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(updates.all().size(), heard);
}

TEST(PlaylistIndexer, AClipBeyondTheRecordBudgetIsKeptThinned) {
    ClipTrack clip;
    for (int i = 0; i < 10'000; ++i) {
        TelemetrySample s;
        s.clipMs = i * 10;
        clip.samples.push_back(s);
    }
    PlaylistIndexer::thin(clip, 20'000);  // room enough: nothing changes
    EXPECT_EQ(clip.samples.size(), 10'000u);
    EXPECT_EQ(clip.note, "");
    PlaylistIndexer::thin(clip, 0);  // none left: the least kept
    ASSERT_EQ(clip.samples.size(), PlaylistIndexer::kMinRecordsKept);
    EXPECT_EQ(clip.samples[1].clipMs, 50);
    EXPECT_NE(clip.note.find("kept thinned to one record in 5"), std::string::npos) << clip.note;
}

TEST(PlaylistIndexer, TripsAndEventsOfEveryCameraLayout) {
    using namespace testing_support;
    TempFolder tmp;
    TelemetryClipSpec spec;
    spec.layout = ClipLayout::Gpmf;
    std::vector<std::string> clips;
    for (int minute = 0; minute < 2; ++minute) {
        DriveSpec drive;
        drive.seconds = 60;
        drive.perSecond = 5;
        drive.startUtcMs = kDriveStartUtcMs + minute * 60'000;
        spec.drive = madeUpDrive(drive);
        clips.push_back(tmp.path() + "GOPR000" + std::to_string(minute) + ".MP4");
        ASSERT_EQ(makeTelemetryClip(clips.back(), spec), "");
    }
    spec.layout = ClipLayout::SeventyMai;  // no G-sensor: events from the GPS speed alone
    spec.drive = madeUpDrive();
    clips.push_back(tmp.path() + "NO20261207-110000.MP4");
    spec.creationUnixSeconds += 3600;
    ASSERT_EQ(makeTelemetryClip(clips.back(), spec), "");

    Updates updates;
    PlaylistIndexer indexer(updates.listener(), "", {}, DisplayZone::fixed(3600));
    indexer.setClips(clips, clips[0]);
    const PlaylistIndexer::Update last = updates.waitForAll(3);
    ASSERT_TRUE(last.trips);
    const TripRoute* gopro = last.trips->tripOf(clips[0]);
    ASSERT_TRUE(gopro);
    EXPECT_EQ(gopro->clipPaths.size(), 2u);
    EXPECT_EQ(last.trips->clip(clips[0])->format, TelemetryFormat::Gpmf);
    // UTC shown in the chosen zone: 10:00 UTC is 11:00 an hour east.
    EXPECT_EQ(gopro->figures.startSeconds() % 86400, 11 * 3600);
    // Each minute brakes at 40 s and bumps at 50 s.
    size_t brakes = 0, impacts = 0;
    for (const TripEvent& e : gopro->events) {
        if (e.kind == TripEventKind::Brake && std::abs(e.timeMs - 41'500) <= 1'500) ++brakes;
        if (e.kind == TripEventKind::Impact && std::abs(e.timeMs - 50'000) <= 500) ++impacts;
    }
    EXPECT_EQ(brakes, 2u);
    EXPECT_EQ(impacts, 2u);

    const TripRoute* mai = last.trips->tripOf(clips[2]);
    ASSERT_TRUE(mai);
    EXPECT_EQ(last.trips->clip(clips[2])->format, TelemetryFormat::SeventyMai);
    EXPECT_TRUE(std::any_of(mai->events.begin(), mai->events.end(),
                            [](const TripEvent& e) { return e.kind == TripEventKind::Brake; }));
}
