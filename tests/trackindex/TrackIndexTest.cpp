// The track index: what it keeps per clip state, that two users of one file
// lose nothing, that it answers only what the reader would, keeps itself
// tidy, and that a bad index file is set aside or only turns it off.
#include "support/ClipFactory.h"
#include "support/TempFolder.h"
#include "track/TelemetryRecords.h"
#include "trackindex/IndexedTrackReader.h"
#include "trackindex/TelemetryBlob.h"
#include "trackindex/TrackFigures.h"
#include "trackindex/TrackIndex.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <thread>
#include <tuple>

using testing_support::TempFolder;

namespace {

// A camera text's reading of n samples, 100 ms apart, each with its own speed.
ClipReading cuesOf(int n, int64_t from = 0) {
    ClipReading reading;
    reading.telemetry.format = TelemetryFormat::CameraText;
    for (int i = 0; i < n; ++i) {
        TelemetrySample& s = reading.telemetry.samples.emplace_back();
        s.clipMs = from + i * 100;
        s.hasSpeed = true;
        s.speedKmh = static_cast<float>(from + i);
    }
    return reading;
}

ClipKey keyOf(const std::string& path, int64_t size = 10, int64_t mtime = 1) {
    return ClipKey{path, size, mtime};
}

void sql(const std::string& file, const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
}

std::string clipWithTexts(const TempFolder& tmp, const std::string& name, char mark) {
    auto texts = testing_support::cameraTrack(8);
    texts[3][0] = mark;  // the same size, another text
    testing_support::ClipSpec spec;
    spec.trackTexts = texts;
    spec.withVideo = false;
    spec.withAudio = false;
    const std::string path = tmp.path() + name;
    EXPECT_EQ(testing_support::makeClip(path, spec), "");
    return path;
}

// The first character of the fourth text, the year's first digit: 1016 is
// no camera time, 9016 is.
char markOf(const ClipReading& reading) {
    if (reading.telemetry.samples.size() < 4) return '\0';
    return reading.telemetry.samples[3].timeKind == TelemetryTime::None ? '1' : '9';
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Runs the check as an ordinary user: root reads a clip of mode 000.
void asOrdinaryUser(const std::string& folder, const std::function<int()>& check) {
    if (::geteuid() != 0) {
        EXPECT_EQ(check(), 0);
        return;
    }
    std::filesystem::path top(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top))
        ASSERT_EQ(::lchown(entry.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::lchown(folder.c_str(), 65534, 65534), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed step, as the child numbered it";
}

}  // namespace

TEST(TrackIndex, AReplacedClipAndAMomentsTroubleAreNeverAnsweredFromTheIndex) {
    TempFolder tmp;
    const std::string file = tmp.path() + "index.sqlite";
    const std::string clip = clipWithTexts(tmp, "clip.mp4", '1');
    const std::string original = clipWithTexts(tmp, "original.mp4", '1');
    const std::string other = clipWithTexts(tmp, "other.mp4", '9');
    ASSERT_EQ(std::filesystem::file_size(clip), std::filesystem::file_size(other));
    ClipReading cues;
    std::string reason;
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(file)) << index.reason();
        IndexedTrackReader reader(&index);
        ASSERT_EQ(reader.readClip(clip, cues, reason), NativeTrackReader::Result::Track) << reason;
        ASSERT_EQ(markOf(cues), '1') ;
    }
    // Replaced in place and over by a rename (cp -p, rsync -a): size and
    // modification time stay.
    const auto replace = [&](const std::string& by, bool rename) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        struct stat before {};
        ::stat(clip.c_str(), &before);
        if (rename) {
            std::filesystem::copy_file(by, clip + ".new");
            std::filesystem::rename(clip + ".new", clip);
        } else {
            std::filesystem::copy_file(by, clip, std::filesystem::copy_options::overwrite_existing);
        }
        const struct timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, clip.c_str(), times, 0), 0);
    };
    for (const auto& [by, rename, mark] : {std::tuple{other, false, '9'}, std::tuple{original, true, '1'}}) {
        replace(by, rename);
        TrackIndex index;
        ASSERT_TRUE(index.open(file));
        IndexedTrackReader reader(&index);
        ASSERT_EQ(reader.readClip(clip, cues, reason), NativeTrackReader::Result::Track);
        EXPECT_EQ(markOf(cues), mark) << "replaced by a rename: " << rename;
    }

    // A row of the former key (path, size, time) is no answer.
    const std::string former = tmp.path() + "former.sqlite";
    ClipKey now;
    ASSERT_TRUE(ClipKey::of(clip, now));
    sql(former,
        "CREATE TABLE clips (path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,"
        " readable INTEGER NOT NULL, reason TEXT NOT NULL, cues BLOB NOT NULL, start_s INTEGER, end_s INTEGER,"
        " distance_m REAL, max_speed_kmh REAL, fixes INTEGER NOT NULL);"
        " INSERT INTO clips VALUES ('" +
            now.path + "', " + std::to_string(now.size) + ", " + std::to_string(now.mtimeNs) +
            ", 0, 'has no subtitle track', x'', NULL, NULL, NULL, NULL, 0);"
            " PRAGMA user_version=1;");
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(former)) << index.reason();
        IndexedTrackReader reader(&index);
        EXPECT_EQ(reader.readClip(clip, cues, reason), NativeTrackReader::Result::Track) << reason;
    }

    // Unreadable for a moment (chmod 000), then readable again.
    ::chmod(clip.c_str(), 0);
    asOrdinaryUser(tmp.path(), [&] {
        TrackIndex index;
        if (!index.open(tmp.path() + "user.sqlite")) return 1;
        IndexedTrackReader reader(&index);
        if (reader.readClip(clip, cues, reason) != NativeTrackReader::Result::Unavailable) return 2;
        ClipKey key;
        std::string stored;
        if (!ClipKey::of(clip, key) || index.find(key, cues, stored) != TrackIndex::Lookup::Missing) return 3;
        if (::chmod(clip.c_str(), 0644) != 0) return 4;
        if (reader.readClip(clip, cues, reason) != NativeTrackReader::Result::Track) return 5;
        return 0;
    });
}

TEST(TrackIndex, RowsBeyondTheReadersLimitsOrOfNoClipAreReadAgain) {
    TempFolder tmp;
    const std::string file = tmp.path() + "index.sqlite";
    const std::string clip = clipWithTexts(tmp, "clip.mp4", '1');
    ClipKey key;
    ASSERT_TRUE(ClipKey::of(clip, key));
    // Rows no clip gives: a year 292278994, samples out of order, a moment
    // days into the clip, a speed that is no number, 3.4e38 G, a steering
    // wheel at no angle and a pedal pressed 150 %.
    std::vector<ClipReading> forged(7, cuesOf(2));
    forged[0].telemetry.samples[1].timeKind = TelemetryTime::Utc;
    forged[0].telemetry.samples[1].timeMs = std::numeric_limits<int64_t>::max();
    forged[1].telemetry.samples[0].clipMs = 500;
    forged[2].telemetry.samples[1].clipMs = int64_t{40} * 24 * 3600 * 1000;
    forged[3].telemetry.samples[1].speedKmh = std::nanf("");
    forged[4].telemetry.samples[0].hasAccel = true;
    forged[4].telemetry.samples[0].accelZ = 3.4e38f;
    forged[5].telemetry.samples[0].vehicle.emplace().steeringDeg = std::nanf("");
    forged[6].telemetry.samples[1].vehicle.emplace().acceleratorPct = 150.0f;
    std::vector<std::string> blobs;
    for (const ClipReading& reading : forged) blobs.push_back(packSamples(reading.telemetry.samples));
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(file));
        EXPECT_FALSE(index.store(key, forged[1], ""));  // what would not be trusted is not kept either
        ASSERT_TRUE(index.store(key, cuesOf(2), ""));
    }
    // Samples of 58 bytes: one and a half, and one with a flag no reader sets.
    std::string unknownFlag(58, '\0');
    unknownFlag[17] = static_cast<char>(0x80);
    blobs.push_back(std::string(87, '\0'));
    blobs.push_back(unknownFlag);
    for (size_t b = 0; b < blobs.size(); ++b) {
        const std::string& blob = blobs[b];
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* update = nullptr;
        sqlite3_prepare_v2(db, "UPDATE clips SET cues=?1", -1, &update, nullptr);
        sqlite3_bind_blob(update, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
        sqlite3_finalize(update);
        sqlite3_close(db);
        TrackIndex index;
        ASSERT_TRUE(index.open(file));
        ClipReading cues;
        std::string reason;
        EXPECT_EQ(index.find(key, cues, reason), TrackIndex::Lookup::Missing) << b;
        EXPECT_TRUE(cues.empty());
        IndexedTrackReader reader(&index);
        ASSERT_EQ(reader.readClip(clip, cues, reason), NativeTrackReader::Result::Track);
        EXPECT_EQ(cues.telemetry.samples.size(), 8u) << b;
    }
    // The extreme time itself, met by the record and the figures, is no date (and no overflow).
    TelemetrySample earliest;
    earliest.timeKind = TelemetryTime::Utc;
    earliest.timeMs = std::numeric_limits<int64_t>::min();
    TrackFigures figures;
    figures.add(earliest, DisplayZone::utc());
    EXPECT_EQ(trackRecordOf(earliest, DisplayZone::utc()).year, 0);
    EXPECT_FALSE(figures.hasTime());
}

TEST(TrackIndex, TheFileIsReachedThroughLinksKeptPrivateAndPrunedToItsBounds) {
    TempFolder tmp;
    std::filesystem::create_directories(tmp.path() + "real/cache");
    std::filesystem::create_directory_symlink(tmp.path() + "real", tmp.path() + "home");
    const std::string linked = tmp.path() + "home/cache/veltara-dvr-player/track-index.sqlite";
    const std::string real = tmp.path() + "real/cache/veltara-dvr-player/track-index.sqlite";
    const std::string kept = tmp.write("kept.mp4", "k");
    const std::string old = tmp.write("old.mp4", "o");
    const std::string gone = tmp.write("gone.mp4", "g");
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(linked)) << index.reason();
        for (const std::string& path : {kept, old, gone}) ASSERT_TRUE(index.store(keyOf(path), cuesOf(2), ""));
    }
    for (const char* companion : {"", "-wal", "-shm"}) EXPECT_EQ(modeOf(real + companion) & 077, 0u) << companion;
    EXPECT_EQ(modeOf(tmp.path() + "real/cache/veltara-dvr-player"), 0700u);

    // Not looked up for 100 days, or its file gone.
    sql(real, "UPDATE clips SET seen_s = seen_s - 100 * 86400 WHERE path = '" + old + "'");
    std::filesystem::remove(gone);
    ClipReading cues;
    std::string reason;
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(linked));
        EXPECT_EQ(index.find(keyOf(kept), cues, reason), TrackIndex::Lookup::Track);
        EXPECT_EQ(index.find(keyOf(old), cues, reason), TrackIndex::Lookup::Missing);
        EXPECT_EQ(index.find(keyOf(gone), cues, reason), TrackIndex::Lookup::Missing);
    }

    // The oldest entries go once the entries take more than the limit.
    TrackIndex bounded;
    bounded.setSizeLimit(40'000);
    ASSERT_TRUE(bounded.open(linked));
    std::vector<std::string> clips;
    for (int i = 0; i < 30; ++i) {
        clips.push_back(tmp.write("c" + std::to_string(i) + ".mp4", "c"));
        ASSERT_TRUE(bounded.store(keyOf(clips.back()), cuesOf(100), ""));
    }
    EXPECT_EQ(bounded.find(keyOf(clips.front()), cues, reason), TrackIndex::Lookup::Missing);
    EXPECT_EQ(bounded.find(keyOf(clips.back()), cues, reason), TrackIndex::Lookup::Track);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(real.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* total = nullptr;
    sqlite3_prepare_v2(db, "SELECT total(length(cues)), count(*) FROM clips", -1, &total, nullptr);
    ASSERT_EQ(sqlite3_step(total), SQLITE_ROW);
    EXPECT_LE(sqlite3_column_double(total, 0), 40'000.0);
    EXPECT_GE(sqlite3_column_int(total, 1), 5);
    sqlite3_finalize(total);
    sqlite3_close(db);
}

TEST(TrackIndex, KeepsTracksAndFailuresPerClipStateAcrossUsers) {
    TempFolder tmp;
    const std::string file = tmp.path() + "cache/veltara-dvr-player/track-index.sqlite";
    // Entries of files that are gone are pruned when the index is opened.
    const std::string a = tmp.write("a.mp4", "a");
    const std::string bad = tmp.write("bad.mp4", "b");
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(file)) << index.reason();
        ASSERT_TRUE(index.store(keyOf(a), cuesOf(3), ""));
        ASSERT_TRUE(index.store(keyOf(bad), ClipReading{}, "has no subtitle track"));
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

    ClipReading cues;
    std::string reason;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(first.find(keyOf("/second" + std::to_string(i) + ".mp4"), cues, reason), TrackIndex::Lookup::Track);
        EXPECT_EQ(second.find(keyOf("/first" + std::to_string(i) + ".mp4"), cues, reason), TrackIndex::Lookup::Track);
    }
    ASSERT_EQ(first.find(keyOf(a), cues, reason), TrackIndex::Lookup::Track);
    ASSERT_EQ(cues.telemetry.samples.size(), 3u);
    EXPECT_EQ(cues.telemetry.samples[2].clipMs, 200);
    EXPECT_EQ(cues.telemetry.samples[2].speedKmh, 2.0f);
    EXPECT_EQ(first.find(keyOf(bad), cues, reason), TrackIndex::Lookup::Unreadable);
    EXPECT_EQ(reason, "has no subtitle track");
    // A changed clip (size, time, another file, status changed) is not what was stored.
    EXPECT_EQ(first.find(keyOf(a, 11), cues, reason), TrackIndex::Lookup::Missing);
    EXPECT_EQ(first.find(keyOf(a, 10, 2), cues, reason), TrackIndex::Lookup::Missing);
    for (int64_t ClipKey::*field : {&ClipKey::device, &ClipKey::inode, &ClipKey::ctimeNs}) {
        ClipKey changed = keyOf(a);
        changed.*field = 7;
        EXPECT_EQ(first.find(changed, cues, reason), TrackIndex::Lookup::Missing);
    }
}

TEST(TrackIndex, ADamagedFileIsSetAsideWhenFoundAndABadOneTurnsTheIndexOffWithAReason) {
    TempFolder tmp;
    const std::string garbage = tmp.write("garbage.sqlite", std::string(4096, 'G'));
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(garbage)) << index.reason();
        const std::string notice = index.notice();
        EXPECT_NE(notice.find("set aside as " + garbage + ".damaged"), std::string::npos) << notice;
        EXPECT_EQ(index.notice(), "");
        EXPECT_TRUE(index.store(keyOf(garbage), cuesOf(1), ""));
        EXPECT_EQ(tmp.read("garbage.sqlite.damaged"), std::string(4096, 'G'));
    }
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(garbage));
        EXPECT_EQ(index.notice(), "");
    }
    // Damage found after a good open: every page past the schema's turns to
    // garbage. The lookup fails once, the file is set aside, the index stays on.
    const std::string later = tmp.path() + "later.sqlite";
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(later));
        ASSERT_TRUE(index.store(keyOf(later), cuesOf(40), ""));
    }
    {
        const auto size = std::filesystem::file_size(later);
        ASSERT_GT(size, 4096u);
        std::fstream file(later, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096);
        file << std::string(size - 4096, 'G');
    }
    {
        TrackIndex index;
        ASSERT_TRUE(index.open(later)) << index.reason();
        ClipReading cues;
        std::string reason;
        EXPECT_EQ(index.find(keyOf(later), cues, reason), TrackIndex::Lookup::Missing);
        EXPECT_FALSE(index.failed()) << index.reason();
        EXPECT_NE(index.notice().find("set aside as " + later + ".damaged"), std::string::npos);
        EXPECT_TRUE(index.store(keyOf(later), cuesOf(2), ""));
        EXPECT_EQ(index.find(keyOf(later), cues, reason), TrackIndex::Lookup::Track);
        EXPECT_EQ(cues.telemetry.samples.size(), 2u);
    }
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
         std::vector<std::pair<std::string, std::string>>{{newer, "the index was made by a newer version"},
                                                          {tmp.path(), "is not a regular file"},
                                                          {"", "no cache folder is known"}}) {
        TrackIndex index;
        EXPECT_FALSE(index.open(path)) << path;
        EXPECT_TRUE(index.failed());
        EXPECT_NE(index.reason().find(why), std::string::npos) << index.reason();
        ClipReading cues;
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
    broken.open(newer);
    IndexedTrackReader reader(&broken);
    ClipReading cues;
    std::string reason;
    EXPECT_EQ(reader.readClip(tmp.write("x.mp4", "not a clip"), cues, reason), NativeTrackReader::Result::Failed);
    EXPECT_NE(reader.indexProblem(), "");
    EXPECT_EQ(reader.indexProblem(), "");
}

TEST(TrackIndex, KeepsEveryLayoutsSamplesAndReadsAnOlderSchemaAgain) {
    TempFolder tmp;
    // A schema-2 index: its table is today's, but its samples have no
    // altitude (54 bytes a sample, 27 here, which today would read as 29).
    // A schema-3 one kept the camera text's cues, not its samples; a
    // schema-4 one had no car's channels.
    for (const int version : {2, 3, 4}) {
    const std::string former = tmp.path() + "former" + std::to_string(version) + ".sqlite";
    sql(former,
        "CREATE TABLE clips (path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,"
        " device INTEGER NOT NULL, inode INTEGER NOT NULL, ctime_ns INTEGER NOT NULL,"
        " readable INTEGER NOT NULL, reason TEXT NOT NULL, format INTEGER NOT NULL, cues BLOB NOT NULL,"
        " start_s INTEGER, end_s INTEGER, distance_m REAL, max_speed_kmh REAL, fixes INTEGER NOT NULL,"
        " seen_s INTEGER NOT NULL);"
        " INSERT INTO clips VALUES ('/two.mp4', 10, 1, 0, 0, 0, 1, '', 5, zeroblob(1566), 0, 0, 0, 0, 0, 0);"
        " PRAGMA user_version=" + std::to_string(version) + ";");
        TrackIndex index;
        ASSERT_TRUE(index.open(former)) << index.reason();
        ClipReading reading;
        std::string reason;
        EXPECT_EQ(index.find(keyOf("/two.mp4"), reading, reason), TrackIndex::Lookup::Missing) << version;
    }
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
    TelemetrySample car = s;
    car.vehicle.emplace();
    car.vehicle->steeringDeg = -12.5f, car.vehicle->brake = false, car.vehicle->gear = VehicleGear::Drive;
    gpmf.telemetry.samples = {s, car};
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
    EXPECT_EQ(back.vehicle, car.vehicle);  // the channels it has, and no others
    EXPECT_FALSE(reading.telemetry.samples[0].vehicle.has_value());
    EXPECT_EQ(index.find(keyOf("/locked.mp4"), reading, reason), TrackIndex::Lookup::Unreadable);
    EXPECT_EQ(reading.format(), TelemetryFormat::Novatek);
    EXPECT_EQ(reason, "unsupported variant (encrypted Novatek blocks)");
}
