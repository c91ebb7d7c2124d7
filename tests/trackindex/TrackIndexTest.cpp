// The track index: what it keeps per clip state, that two users of one file
// lose nothing, and that a bad index file only turns it off.
#include "support/TempFolder.h"
#include "trackindex/IndexedTrackReader.h"
#include "trackindex/TrackIndex.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <thread>

using testing_support::TempFolder;

namespace {

std::vector<TrackCue> cuesOf(int n, int64_t from = 0) {
    std::vector<TrackCue> cues;
    for (int i = 0; i < n; ++i) cues.push_back({from + i * 100, 100, "cue " + std::to_string(from + i)});
    return cues;
}

ClipKey keyOf(const std::string& path, int64_t size = 10, int64_t mtime = 1) {
    return ClipKey{path, size, mtime};
}

}  // namespace

TEST(TrackIndex, KeepsTracksAndFailuresPerClipStateAcrossUsers) {
    TempFolder tmp;
    const std::string file = tmp.path() + "cache/veltara-dvr-player/track-index.sqlite";
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(file)) << index.reason();
        ASSERT_TRUE(index.store(keyOf("/a.mp4"), cuesOf(3), ""));
        ASSERT_TRUE(index.store(keyOf("/bad.mp4"), std::vector<TrackCue>{}, "has no subtitle track"));
    }
    EXPECT_EQ(
        std::filesystem::status(tmp.path() + "cache/veltara-dvr-player").permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_all);

    // Two users of one file at once, as the player and the tool are.
    TrackIndex first, second;
    ASSERT_TRUE(first.open(file));
    ASSERT_TRUE(second.open(file));
    std::thread other([&] {
        for (int i = 0; i < 50; ++i) second.store(keyOf("/second" + std::to_string(i) + ".mp4"), cuesOf(2, i), "");
    });
    for (int i = 0; i < 50; ++i) first.store(keyOf("/first" + std::to_string(i) + ".mp4"), cuesOf(2, i), "");
    other.join();
    EXPECT_FALSE(first.failed()) << first.reason();
    EXPECT_FALSE(second.failed()) << second.reason();

    std::vector<TrackCue> cues;
    std::string reason;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(first.find(keyOf("/second" + std::to_string(i) + ".mp4"), cues, reason), TrackIndex::Lookup::Track);
        EXPECT_EQ(second.find(keyOf("/first" + std::to_string(i) + ".mp4"), cues, reason), TrackIndex::Lookup::Track);
    }
    ASSERT_EQ(first.find(keyOf("/a.mp4"), cues, reason), TrackIndex::Lookup::Track);
    ASSERT_EQ(cues.size(), 3u);
    EXPECT_EQ(cues[2].startMs, 200);
    EXPECT_EQ(cues[2].text, "cue 2");
    EXPECT_EQ(first.find(keyOf("/bad.mp4"), cues, reason), TrackIndex::Lookup::Unreadable);
    EXPECT_EQ(reason, "has no subtitle track");
    // A changed clip (size or time) is not what was stored.
    EXPECT_EQ(first.find(keyOf("/a.mp4", 11), cues, reason), TrackIndex::Lookup::Missing);
    EXPECT_EQ(first.find(keyOf("/a.mp4", 10, 2), cues, reason), TrackIndex::Lookup::Missing);
}

TEST(TrackIndex, ABadIndexFileTurnsTheIndexOffWithAReason) {
    TempFolder tmp;
    const std::string garbage = tmp.write("garbage.sqlite", std::string(4096, 'G'));
    const std::string newer = tmp.path() + "newer.sqlite";
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(newer.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const std::string foreign = tmp.write("foreign.sqlite", "");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    }

    for (const auto& [path, why] :
         std::vector<std::pair<std::string, std::string>>{{garbage, "the index cannot be read"},
                                                          {newer, "the index was made by a newer version"},
                                                          {tmp.path(), "is not a regular file"},
                                                          {"", "no cache folder is known"}}) {
        TrackIndex index;
        EXPECT_FALSE(index.open(path)) << path;
        EXPECT_TRUE(index.failed());
        EXPECT_NE(index.reason().find(why), std::string::npos) << index.reason();
        std::vector<TrackCue> cues;
        std::string reason;
        EXPECT_EQ(index.find(keyOf("/a.mp4"), cues, reason), TrackIndex::Lookup::Missing);
        EXPECT_FALSE(index.store(keyOf("/a.mp4"), cuesOf(1), ""));
    }
    if (root) {
        TrackIndex index;
        EXPECT_FALSE(index.open(foreign));
        EXPECT_NE(index.reason().find("belongs to another user"), std::string::npos);
    }

    // Held by another program's write for longer than it waits.
    const std::string held = tmp.path() + "held.sqlite";
    {
        TrackIndex first;
        ASSERT_TRUE(first.open(held));
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(held.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        TrackIndex locked;
        EXPECT_FALSE(locked.open(held, 50));
        EXPECT_NE(locked.reason().find("locked"), std::string::npos) << locked.reason();
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    // The reader then reads directly, and says why once.
    TrackIndex broken;
    broken.open(garbage);
    IndexedTrackReader reader(&broken);
    std::vector<TrackCue> cues;
    std::string reason;
    EXPECT_EQ(reader.read(tmp.write("x.mp4", "not a clip"), cues, reason), NativeTrackReader::Result::Failed);
    EXPECT_NE(reader.indexProblem(), "");
    EXPECT_EQ(reader.indexProblem(), "");
}

TEST(TrackIndex, KeepsEveryLayoutsSamplesAndReadsAnOlderSchemaAgain) {
    TempFolder tmp;
    const std::string file = tmp.path() + "index.sqlite";
    {
        // A version-1 index: its rows mean something else and must not be read.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE clips (path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER "
                               "NOT NULL, readable INTEGER NOT NULL, reason TEXT NOT NULL, cues BLOB NOT NULL, start_s "
                               "INTEGER, end_s INTEGER, distance_m REAL, max_speed_kmh REAL, fixes INTEGER NOT NULL);"
                               "INSERT INTO clips VALUES ('/old.mp4', 10, 1, 1, '', x'00', 0, 0, 0, 0, 0);"
                               "PRAGMA user_version=1;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    TrackIndex index;
    ASSERT_TRUE(index.open(file)) << index.reason();
    ClipReading reading;
    std::string reason;
    EXPECT_EQ(index.find(keyOf("/old.mp4"), reading, reason), TrackIndex::Lookup::Missing);

    ClipReading gpmf;
    gpmf.telemetry.format = TelemetryFormat::Gpmf;
    TelemetrySample s;
    s.clipMs = 1500, s.timeMs = 1796637601500, s.timeKind = TelemetryTime::Utc, s.fix = true;
    s.latitude = -33.5, s.longitude = -70.25, s.hasSpeed = true, s.speedKmh = 42.5f;
    s.hasAccel = true, s.accelX = 0.25f, s.accelY = -0.5f, s.accelZ = 1.0f;
    gpmf.telemetry.samples = {s, s};
    ASSERT_TRUE(index.store(keyOf("/gopro.mp4"), gpmf, ""));
    ClipReading encrypted;
    encrypted.telemetry.format = TelemetryFormat::Novatek;
    ASSERT_TRUE(index.store(keyOf("/locked.mp4"), encrypted, "unsupported variant (encrypted Novatek blocks)"));

    ASSERT_EQ(index.find(keyOf("/gopro.mp4"), reading, reason), TrackIndex::Lookup::Track);
    EXPECT_EQ(reading.format(), TelemetryFormat::Gpmf);
    ASSERT_EQ(reading.telemetry.samples.size(), 2u);
    const TelemetrySample& back = reading.telemetry.samples[1];
    EXPECT_EQ(back.clipMs, s.clipMs);
    EXPECT_EQ(back.timeMs, s.timeMs);
    EXPECT_EQ(back.timeKind, TelemetryTime::Utc);
    EXPECT_EQ(back.latitude, s.latitude);
    EXPECT_EQ(back.longitude, s.longitude);
    EXPECT_EQ(back.speedKmh, s.speedKmh);
    EXPECT_TRUE(back.fix && back.hasSpeed && back.hasAccel && !back.hasCourse);
    EXPECT_EQ(back.accelY, s.accelY);
    // Samples are never handed out as cues.
    std::vector<TrackCue> cues;
    EXPECT_EQ(index.find(keyOf("/gopro.mp4"), cues, reason), TrackIndex::Lookup::Missing);
    EXPECT_EQ(index.find(keyOf("/locked.mp4"), reading, reason), TrackIndex::Lookup::Unreadable);
    EXPECT_EQ(reading.format(), TelemetryFormat::Novatek);
    EXPECT_EQ(reason, "unsupported variant (encrypted Novatek blocks)");
}
