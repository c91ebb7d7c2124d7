#include "trackindex/TrackIndex.h"

#include "platform/FileSystem.h"
#include "telemetry/TelemetryRecords.h"
#include "trackindex/TelemetryBlob.h"
#include "trackindex/TrackCueRecords.h"
#include "trackindex/TrackFigures.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS clips ("
    " path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,"
    " readable INTEGER NOT NULL, reason TEXT NOT NULL, format INTEGER NOT NULL, cues BLOB NOT NULL,"
    " start_s INTEGER, end_s INTEGER, distance_m REAL, max_speed_kmh REAL, fixes INTEGER NOT NULL);";

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

void putInt(std::string& out, int64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(static_cast<uint64_t>(v) >> (8 * i)));
}

bool getInt(const unsigned char*& p, const unsigned char* end, int64_t& v) {
    if (end - p < 8) return false;
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(p[i]) << (8 * i);
    v = static_cast<int64_t>(u);
    p += 8;
    return true;
}

// start, duration, text length (one byte: texts keep at most 127), text.
std::string packCues(const std::vector<TrackCue>& cues) {
    std::string out;
    out.reserve(cues.size() * 96);
    for (const TrackCue& cue : cues) {
        putInt(out, cue.startMs);
        putInt(out, cue.durationMs);
        const size_t n = std::min<size_t>(cue.text.size(), 255);
        out.push_back(static_cast<char>(n));
        out.append(cue.text, 0, n);
    }
    return out;
}

bool unpackCues(const void* data, int size, std::vector<TrackCue>& cues) {
    cues.clear();
    const auto* p = static_cast<const unsigned char*>(data);
    const unsigned char* end = p + (size > 0 ? size : 0);
    while (p < end) {
        TrackCue cue;
        if (!getInt(p, end, cue.startMs) || !getInt(p, end, cue.durationMs) || p >= end) return false;
        const size_t n = *p++;
        if (static_cast<size_t>(end - p) < n) return false;
        cue.text.assign(reinterpret_cast<const char*>(p), n);
        p += n;
        cues.push_back(std::move(cue));
    }
    return true;
}

}  // namespace

TrackIndex::~TrackIndex() {
    std::lock_guard lock(mutex_);
    if (db_ != nullptr) sqlite3_close_v2(db_);
}

std::string TrackIndex::defaultPath() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
        base = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.cache";
    } else {
        return {};
    }
    return platform::withTrailingSlash(base) + "veltara-dvr-player/track-index.sqlite";
}

bool TrackIndex::fail(const std::string& what) {
    if (!failed_) reason_ = what;
    failed_ = true;
    return false;
}

bool TrackIndex::failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

std::string TrackIndex::reason() const {
    std::lock_guard lock(mutex_);
    return reason_;
}

bool TrackIndex::open(const std::string& path, int busyMs) {
    std::lock_guard lock(mutex_);
    if (db_ != nullptr) return true;
    if (path.empty()) return fail("no cache folder is known");
    const std::string folder = platform::parentFolder(path);
    if (!folder.empty() && !platform::isDirectory(folder)) {
        const std::string grand = platform::parentFolder(folder.substr(0, folder.size() - 1));
        if (!grand.empty() && !platform::isDirectory(grand)) platform::makeDirectory(grand, 0700);
        platform::makeDirectory(folder, 0700);
    }
    // Someone else's file could be made to say anything: it is not used.
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return fail(path + " is not a regular file");
        if (st.st_uid != ::geteuid()) return fail(path + " belongs to another user");
    }
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        const std::string why = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return fail("cannot open " + path + ": " + why);
    }
    db_ = db;
    sqlite3_busy_timeout(db_, busyMs);
    if (!prepareSchema()) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return false;
    }
    return true;
}

bool TrackIndex::prepareSchema() {
    int version = -1;
    {
        Statement query(db_, "PRAGMA user_version");
        if (!query || sqlite3_step(query.get()) != SQLITE_ROW)
            return fail(std::string("the index cannot be read: ") + sqlite3_errmsg(db_));
        version = sqlite3_column_int(query.get(), 0);
    }
    if (version > SCHEMA_VERSION)
        return fail("the index was made by a newer version (schema " + std::to_string(version) + ")");
    char* error = nullptr;
    // WAL lets the player read while the tool writes, and the other way round.
    std::string sql = "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE; ";
    // Rows of an older schema mean something else: the clips are read again.
    if (version >= 1 && version < SCHEMA_VERSION) sql += "DROP TABLE IF EXISTS clips; ";
    sql += kSchema;
    sql += " PRAGMA user_version=" + std::to_string(SCHEMA_VERSION) + "; COMMIT;";
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string why = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return fail("the index cannot be set up: " + why);
    }
    return true;
}

TrackIndex::Lookup TrackIndex::find(const ClipKey& key, std::vector<TrackCue>& cues, std::string& reason) {
    ClipReading reading;
    const Lookup found = find(key, reading, reason);
    cues.clear();
    if (found == Lookup::Track && !reading.cameraText()) return Lookup::Missing;
    cues = std::move(reading.cues);
    return found;
}

bool TrackIndex::store(const ClipKey& key, const std::vector<TrackCue>& cues, const std::string& reason) {
    ClipReading reading;
    reading.telemetry.format = cues.empty() ? TelemetryFormat::None : TelemetryFormat::CameraText;
    reading.cues = cues;
    return store(key, reading, reason);
}

TrackIndex::Lookup TrackIndex::find(const ClipKey& key, ClipReading& reading, std::string& reason) {
    reading.clear();
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) return Lookup::Missing;
    Statement query(db_,
                    "SELECT readable, reason, format, cues FROM clips WHERE path=?1 AND size=?2 AND mtime_ns=?3");
    if (!query) {
        fail(std::string("the index cannot be read: ") + sqlite3_errmsg(db_));
        return Lookup::Missing;
    }
    sqlite3_bind_text(query.get(), 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(query.get(), 2, key.size);
    sqlite3_bind_int64(query.get(), 3, key.mtimeNs);
    const int rc = sqlite3_step(query.get());
    if (rc == SQLITE_DONE) return Lookup::Missing;
    if (rc != SQLITE_ROW) {
        fail(std::string("the index cannot be read: ") + sqlite3_errmsg(db_));
        return Lookup::Missing;
    }
    const int format = sqlite3_column_int(query.get(), 2);
    reading.telemetry.format = telemetryFormatOf(format);
    if (sqlite3_column_int(query.get(), 0) == 0) {
        const auto* text = sqlite3_column_text(query.get(), 1);
        reason = text != nullptr ? reinterpret_cast<const char*>(text) : "";
        return Lookup::Unreadable;
    }
    // An entry that does not decode is treated as absent: the clip is read again.
    const void* blob = sqlite3_column_blob(query.get(), 3);
    const int bytes = sqlite3_column_bytes(query.get(), 3);
    const bool decoded =
        reading.cameraText()
            ? unpackCues(blob, bytes, reading.cues)
            : format == static_cast<int>(reading.telemetry.format) && blob != nullptr &&
                  unpackSamples(std::string_view(static_cast<const char*>(blob), static_cast<size_t>(bytes)),
                                reading.telemetry.samples);
    if (!decoded || reading.empty()) {
        reading.clear();
        return Lookup::Missing;
    }
    return Lookup::Track;
}

bool TrackIndex::store(const ClipKey& key, const ClipReading& reading, const std::string& reason) {
    TrackFigures figures;
    std::vector<TrackRecord> records;
    std::vector<int64_t> times;
    if (reading.cameraText())
        recordsOfCues(reading.cues, TrackSampling::All, records, times);
    else
        recordsOfTelemetry(reading.telemetry, DisplayZone::utc(), records, times);
    for (size_t i = 0; i < records.size(); ++i) figures.add(records[i], times[i]);
    const std::string blob = reading.cameraText() ? packCues(reading.cues) : packSamples(reading.telemetry.samples);
    const bool readable = !reading.empty();

    std::lock_guard lock(mutex_);
    if (db_ == nullptr) return false;
    Statement insert(db_,
                     "INSERT OR REPLACE INTO clips (path, size, mtime_ns, readable, reason, cues, start_s, end_s,"
                     " distance_m, max_speed_kmh, fixes, format)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    if (!insert) return fail(std::string("the index cannot be written: ") + sqlite3_errmsg(db_));
    sqlite3_bind_text(insert.get(), 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert.get(), 2, key.size);
    sqlite3_bind_int64(insert.get(), 3, key.mtimeNs);
    sqlite3_bind_int(insert.get(), 4, readable ? 1 : 0);
    sqlite3_bind_text(insert.get(), 5, reason.data(), static_cast<int>(reason.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert.get(), 6, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    if (figures.hasTime()) {
        sqlite3_bind_int64(insert.get(), 7, figures.startSeconds());
        sqlite3_bind_int64(insert.get(), 8, figures.endSeconds());
        sqlite3_bind_double(insert.get(), 9, figures.distanceMetres());
        sqlite3_bind_double(insert.get(), 10, figures.maxSpeedKmh());
    }
    sqlite3_bind_int64(insert.get(), 11, figures.fixes());
    sqlite3_bind_int(insert.get(), 12, static_cast<int>(reading.format()));
    if (sqlite3_step(insert.get()) != SQLITE_DONE)
        return fail(std::string("the index cannot be written: ") + sqlite3_errmsg(db_));
    return true;
}
