#pragma once
// The track index: an SQLite file that keeps, per clip state (ClipKey), what
// reading it gave (the telemetry samples of any layout, the camera's text
// track included, with the layout), or why its content gives
// none, and the clip's figures. An index of an older schema is emptied and
// filled again, never misread.
// A changed or replaced clip no longer matches and is read again; so is a row
// that does not decode, is beyond the reader's limits or holds what no clip
// can (plausibleSamples: times out of the clip's span or order, values not
// finite or beyond a car's), whoever wrote it.
//
// Housekeeping when opened: entries not looked up for kMaxAgeDays or whose
// file is gone are dropped, and the oldest go while the entries take more
// than the size limit (also checked as entries are stored). A damaged file
// is set aside ("<file>.damaged") and a new one made, at open and when a
// later call finds the damage; notice() says so once.
//
// Several programs may use one file at once (the player and the tool): WAL
// journal, a busy time-out, and each write is one short transaction, so no
// one's entries are lost. Within a process one object is the one writer.
//
// Other trouble with the file (locked, read-only, full, of another user or a
// newer schema) never stops the caller: the call fails, failed() turns
// true and reason() says why, and the caller reads the clip directly.
//
// Threads: any; calls are serialised on an internal lock, so a worker
// thread and the owner may share one index. open() before use; the
// destructor closes.
#include "trackindex/ClipKey.h"
#include "trackindex/ClipReading.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

class TrackIndex {
public:
    static constexpr int SCHEMA_VERSION = 5;

    TrackIndex() = default;
    ~TrackIndex();
    TrackIndex(const TrackIndex&) = delete;
    TrackIndex& operator=(const TrackIndex&) = delete;

    // $XDG_CACHE_HOME/veltara-dvr-player/track-index.sqlite, else under
    // ~/.cache; empty when neither is known.
    static std::string defaultPath();

    // How long a call waits for another user's write before it gives up.
    static constexpr int DEFAULT_BUSY_MS = 5000;
    static constexpr int64_t kMaxAgeDays = 90;
    static constexpr int64_t kDefaultSizeLimit = int64_t{1} << 30;

    // Before open(): what the entries may take, in bytes.
    void setSizeLimit(int64_t bytes) { sizeLimit_ = bytes; }

    // Creates the file (and its folder, private to the user) when missing.
    // A path through links is resolved; the file itself is never a link.
    bool open(const std::string& path, int busyMs = DEFAULT_BUSY_MS);

    // What open() did that its caller should log (a damaged file set aside);
    // empty, and after the first call empty again.
    std::string notice();

    enum class Lookup { Track, Unreadable, Missing };
    // Track: reading filled. Unreadable: reason holds why the clip failed
    // before (and reading the layout it was recognised as, if any).
    Lookup find(const ClipKey& key, ClipReading& reading, std::string& reason);

    // Keeps what reading the clip gave (not empty) or the failure its content
    // gives (empty, reason set), replacing any older entry of the path. A
    // track beyond the reader's limits, or one find() would not trust (samples
    // out of order, kept as the clip has them), is not kept.
    bool store(const ClipKey& key, const ClipReading& reading, const std::string& reason);

    bool failed() const;
    std::string reason() const;

private:
    bool fail(const std::string& what);
    bool openFile(const std::string& realPath, int busyMs);
    // Sets the damaged file aside and opens a new one; why says what was
    // wrong, and is set again when even the new file fails.
    bool replaceDamagedFile(std::string& why);
    // A failed call: damage replaces the file (the call still fails, the
    // index stays on), anything else turns the index off.
    bool damagedInUse(const std::string& what);
    // SQLITE_OK, or the code that failed (SQLITE_NOTADB, SQLITE_CORRUPT: damaged).
    int prepareSchema(std::string& why);
    void prune();
    void keepWithinLimit();
    bool exec(const char* sql);

    mutable std::mutex mutex_;
    sqlite3* db_ = nullptr;  // under mutex_
    bool failed_ = false;    // under mutex_
    std::string reason_;     // under mutex_
    std::string notice_;     // under mutex_
    std::string path_;       // under mutex_: as given to open()
    int busyMs_ = DEFAULT_BUSY_MS;
    int64_t sizeLimit_ = kDefaultSizeLimit;
    int64_t storedBytes_ = 0;  // under mutex_: what the entries take, about
};
