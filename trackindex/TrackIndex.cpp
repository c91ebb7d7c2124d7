#include "trackindex/TrackIndex.h"

#include "platform/FileSystem.h"
#include "trackindex/IndexFileSafety.h"
#include "trackindex/TelemetryBlob.h"
#include "trackindex/TrackFigures.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// Each row keeps when it was last looked up (seen_s, Unix seconds) for the pruning.
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS clips ("
    " path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,"
    " device INTEGER NOT NULL, inode INTEGER NOT NULL, ctime_ns INTEGER NOT NULL,"
    " readable INTEGER NOT NULL, reason TEXT NOT NULL, format INTEGER NOT NULL, cues BLOB NOT NULL,"
    " start_s INTEGER, end_s INTEGER, distance_m REAL, max_speed_kmh REAL, fixes INTEGER NOT NULL,"
    " seen_s INTEGER NOT NULL);"
    " CREATE INDEX IF NOT EXISTS clips_seen ON clips (seen_s);";

constexpr int64_t kDaySeconds = 86400;
constexpr int64_t kRowOverhead = 256;  // what a row takes besides its cues, about
constexpr size_t kReasonLimit = 1024;

int64_t nowSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

bool damagedFile(int code) {
    return (code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT;
}

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

std::string TrackIndex::notice() {
    std::lock_guard lock(mutex_);
    std::string notice;
    notice.swap(notice_);
    return notice;
}

bool TrackIndex::open(const std::string& path, int busyMs) {
    std::lock_guard lock(mutex_);
    if (db_ != nullptr) return true;
    if (path.empty()) return fail("no cache folder is known");
    // Someone else's file could be made to say anything: it is not used.
    std::string realPath, why;
    if (!prepareIndexFile(path, realPath, why)) return fail(why);
    if (!openFile(realPath, busyMs)) return false;
    const int rc = prepareSchema(why);
    path_ = path;
    busyMs_ = busyMs;
    if (rc != SQLITE_OK && damagedFile(rc)) {
        // Failing on every start helps no one: the file is kept for a look
        // and the clips are read into a new one.
        if (!replaceDamagedFile(why)) return false;
    }
    if (!why.empty()) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return fail(why);
    }
    prune();
    return true;
}

bool TrackIndex::replaceDamagedFile(std::string& why) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    std::string realPath, openWhy;
    if (!prepareIndexFile(path_, realPath, openWhy)) return fail(openWhy);
    const std::string aside = setAsideIndexFile(realPath);
    if (aside.empty()) return fail("the index is damaged (" + why + ") and cannot be set aside");
    notice_ = "the track index was damaged (" + why + "); it was set aside as " + aside + " and a new one made";
    why.clear();
    if (!prepareIndexFile(path_, realPath, why)) return fail(why);
    if (!openFile(realPath, busyMs_)) return false;
    prepareSchema(why);  // why is set when even a new file fails
    storedBytes_ = 0;
    return true;
}

bool TrackIndex::damagedInUse(const std::string& what) {
    const int code = sqlite3_extended_errcode(db_);
    if (!damagedFile(code)) return fail(what + sqlite3_errmsg(db_));
    // Damage found after a good open (a disk fault, another writer's crash)
    // is handled as at open: set aside, and the clips read into a new file.
    std::string why = what + sqlite3_errmsg(db_);
    if (!replaceDamagedFile(why)) return false;
    if (!why.empty()) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return fail(why);
    }
    return false;
}

bool TrackIndex::openFile(const std::string& realPath, int busyMs) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(realPath.c_str(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) {
        const std::string why = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        return fail("cannot open " + realPath + ": " + why);
    }
    db_ = db;
    sqlite3_busy_timeout(db_, busyMs);
    sqlite3_extended_result_codes(db_, 1);
    return true;
}

bool TrackIndex::exec(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int TrackIndex::prepareSchema(std::string& why) {
    int version = -1;
    int pages = 0;
    {
        Statement query(db_, "PRAGMA user_version");
        if (!query || sqlite3_step(query.get()) != SQLITE_ROW) {
            why = std::string("the index cannot be read: ") + sqlite3_errmsg(db_);
            return sqlite3_extended_errcode(db_);
        }
        version = sqlite3_column_int(query.get(), 0);
    }
    if (version > SCHEMA_VERSION) {
        why = "the index was made by a newer version (schema " + std::to_string(version) + ")";
        return SQLITE_ERROR;
    }
    {
        Statement query(db_, "PRAGMA page_count");
        if (query && sqlite3_step(query.get()) == SQLITE_ROW) pages = sqlite3_column_int(query.get(), 0);
    }
    // Only a new file takes it: pruned entries then give their pages back.
    if (pages == 0) exec("PRAGMA auto_vacuum=INCREMENTAL");
    // A file of an older schema starts empty. SQLite's own reset truncates
    // it; dropping the table would walk every page of the old rows first,
    // which made a rebuild dearer than reading the clips cold.
    if (pages > 0 && version < SCHEMA_VERSION) {
        sqlite3_db_config(db_, SQLITE_DBCONFIG_RESET_DATABASE, 1, 0);
        exec("VACUUM");
        sqlite3_db_config(db_, SQLITE_DBCONFIG_RESET_DATABASE, 0, 0);
        exec("PRAGMA auto_vacuum=INCREMENTAL");
        exec("VACUUM");
    }
    // WAL lets the player read while the tool writes, and the other way round.
    // A table of an older schema is dropped (its rows could not tell a
    // replaced clip, nor the layout of their data): the clips are read again.
    std::string sql = "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE;";
    char* error = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    if (rc == SQLITE_OK) {
        if (version < SCHEMA_VERSION) exec("DROP TABLE IF EXISTS clips");
        sql = kSchema;
        sql += " PRAGMA user_version=" + std::to_string(SCHEMA_VERSION) + "; COMMIT;";
        rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
    }
    if (rc != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(db_);
        why = std::string("the index cannot be set up: ") + (error != nullptr ? error : "unknown error");
        sqlite3_free(error);
        exec("ROLLBACK");
        return code != SQLITE_OK ? code : rc;
    }
    return SQLITE_OK;
}

void TrackIndex::prune() {
    // Dropped: entries not looked up for long, and those of files gone.
    const std::string old = std::to_string(nowSeconds() - kMaxAgeDays * kDaySeconds);
    if (!exec("BEGIN IMMEDIATE")) return;
    exec(("DELETE FROM clips WHERE seen_s < " + old).c_str());
    {
        std::vector<std::string> gone;
        Statement paths(db_, "SELECT path FROM clips");
        while (paths && sqlite3_step(paths.get()) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(paths.get(), 0));
            struct stat st;
            if (text != nullptr && ::stat(text, &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
                gone.emplace_back(text);
        }
        Statement drop(db_, "DELETE FROM clips WHERE path=?1");
        for (const std::string& path : gone) {
            sqlite3_bind_text(drop.get(), 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
            sqlite3_step(drop.get());
            sqlite3_reset(drop.get());
        }
    }
    {
        Statement total(db_, "SELECT total(length(cues)) + count(*) * ?1 FROM clips");
        sqlite3_bind_int64(total.get(), 1, kRowOverhead);
        if (total && sqlite3_step(total.get()) == SQLITE_ROW)
            storedBytes_ = static_cast<int64_t>(sqlite3_column_double(total.get(), 0));
    }
    if (!exec("COMMIT")) {
        exec("ROLLBACK");
        return;
    }
    keepWithinLimit();
    exec("PRAGMA incremental_vacuum");
}

void TrackIndex::keepWithinLimit() {
    if (storedBytes_ <= sizeLimit_) return;
    // The least recently looked up go first, down to nine tenths of the limit,
    // so that not every store prunes again.
    const int64_t target = sizeLimit_ / 10 * 9;
    if (!exec("BEGIN IMMEDIATE")) return;
    std::vector<std::string> dropped;
    {
        Statement oldest(db_, "SELECT path, length(cues) FROM clips ORDER BY seen_s, rowid");
        while (storedBytes_ > target && oldest && sqlite3_step(oldest.get()) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(oldest.get(), 0));
            dropped.emplace_back(text != nullptr ? text : "");
            storedBytes_ -= sqlite3_column_int64(oldest.get(), 1) + kRowOverhead;
        }
    }
    Statement drop(db_, "DELETE FROM clips WHERE path=?1");
    for (const std::string& path : dropped) {
        sqlite3_bind_text(drop.get(), 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
        sqlite3_step(drop.get());
        sqlite3_reset(drop.get());
    }
    if (!exec("COMMIT")) exec("ROLLBACK");
}

TrackIndex::Lookup TrackIndex::find(const ClipKey& key, ClipReading& reading, std::string& reason) {
    reading.clear();
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) return Lookup::Missing;
    Statement query(db_,
                    "SELECT readable, reason, cues, seen_s, format FROM clips WHERE path=?1 AND size=?2 AND mtime_ns=?3"
                    " AND device=?4 AND inode=?5 AND ctime_ns=?6");
    if (!query) {
        damagedInUse("the index cannot be read: ");
        return Lookup::Missing;
    }
    sqlite3_bind_text(query.get(), 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(query.get(), 2, key.size);
    sqlite3_bind_int64(query.get(), 3, key.mtimeNs);
    sqlite3_bind_int64(query.get(), 4, key.device);
    sqlite3_bind_int64(query.get(), 5, key.inode);
    sqlite3_bind_int64(query.get(), 6, key.ctimeNs);
    const int rc = sqlite3_step(query.get());
    if (rc == SQLITE_DONE) return Lookup::Missing;
    if (rc != SQLITE_ROW) {
        damagedInUse("the index cannot be read: ");
        return Lookup::Missing;
    }
    Lookup found = Lookup::Track;
    const int format = sqlite3_column_int(query.get(), 4);
    reading.telemetry.format = telemetryFormatOf(format);
    const void* blob = sqlite3_column_blob(query.get(), 2);
    const auto bytes = static_cast<size_t>(std::max(sqlite3_column_bytes(query.get(), 2), 0));
    if (sqlite3_column_int(query.get(), 0) == 0) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 1));
        reason = text != nullptr ? text : "";
        found = reason.empty() || reason.size() > kReasonLimit ? Lookup::Missing : Lookup::Unreadable;
    } else if (format != static_cast<int>(reading.format()) || blob == nullptr ||
               !unpackSamples(std::string_view(static_cast<const char*>(blob), bytes), reading.telemetry.samples)) {
        // An entry that does not decode, or that the reader could not have
        // given, is treated as absent: the clip is read again.
        found = Lookup::Missing;
    }
    if (found == Lookup::Track && reading.empty()) found = Lookup::Missing;
    if (found == Lookup::Missing) {
        reading.clear();
        reason.clear();
        return found;
    }
    const int64_t now = nowSeconds();
    if (sqlite3_column_int64(query.get(), 3) < now - kDaySeconds) {
        Statement seen(db_, "UPDATE clips SET seen_s=?1 WHERE path=?2");
        sqlite3_bind_int64(seen.get(), 1, now);
        sqlite3_bind_text(seen.get(), 2, key.path.data(), static_cast<int>(key.path.size()), SQLITE_TRANSIENT);
        sqlite3_step(seen.get());
    }
    return found;
}

bool TrackIndex::store(const ClipKey& key, const ClipReading& reading, const std::string& reason) {
    // What find() would not trust is not kept: such a clip is read every time.
    if (reading.telemetry.samples.size() > ClipTelemetry::kSampleLimit || !plausibleSamples(reading.telemetry.samples))
        return false;
    // The figures are made record by record: a clip of millions of samples
    // would otherwise hold its records twice (here and in the caller).
    TrackFigures figures;
    const DisplayZone utc = DisplayZone::utc();
    for (const TelemetrySample& sample : reading.telemetry.samples)
        figures.add(sample, utc);
    const std::string blob = packSamples(reading.telemetry.samples);

    std::lock_guard lock(mutex_);
    if (db_ == nullptr) return false;
    Statement insert(db_,
                     "INSERT OR REPLACE INTO clips (path, size, mtime_ns, readable, reason, cues, start_s, end_s,"
                     " distance_m, max_speed_kmh, fixes, device, inode, ctime_ns, seen_s, format)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16)");
    if (!insert) return damagedInUse("the index cannot be written: ");
    sqlite3_bind_text(insert.get(), 1, key.path.data(), static_cast<int>(key.path.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert.get(), 2, key.size);
    sqlite3_bind_int64(insert.get(), 3, key.mtimeNs);
    sqlite3_bind_int(insert.get(), 4, reading.empty() ? 0 : 1);
    sqlite3_bind_text(insert.get(), 5, reason.data(), static_cast<int>(reason.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(insert.get(), 6, blob.data(), static_cast<int>(blob.size()), SQLITE_STATIC);
    if (figures.hasTime()) {
        sqlite3_bind_int64(insert.get(), 7, figures.startSeconds());
        sqlite3_bind_int64(insert.get(), 8, figures.endSeconds());
        sqlite3_bind_double(insert.get(), 9, figures.distanceMetres());
        sqlite3_bind_double(insert.get(), 10, figures.maxSpeedKmh());
    }
    sqlite3_bind_int64(insert.get(), 11, figures.fixes());
    sqlite3_bind_int64(insert.get(), 12, key.device);
    sqlite3_bind_int64(insert.get(), 13, key.inode);
    sqlite3_bind_int64(insert.get(), 14, key.ctimeNs);
    sqlite3_bind_int64(insert.get(), 15, nowSeconds());
    sqlite3_bind_int(insert.get(), 16, static_cast<int>(reading.format()));
    if (sqlite3_step(insert.get()) != SQLITE_DONE) return damagedInUse("the index cannot be written: ");
    storedBytes_ += static_cast<int64_t>(blob.size()) + kRowOverhead;
    keepWithinLimit();
    return true;
}
