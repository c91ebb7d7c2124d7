#pragma once
// A small, bounded reader of ISO base media files (MP4, MOV): the top-level
// boxes, the children of any box, the tracks of `moov` with their handler,
// first sample entry and time scale, each track's sample table, and reads of
// byte ranges. Nothing is read past the file's end or a box's bounds; a box
// that claims more than its parent holds is cut to it; sizes, counts and
// depth are capped, so a hostile file costs at most a fixed amount of memory
// and time. A file without `moov` (never finished after a power cut) still
// lists its top-level boxes.
//
// Threads: one thread at a time per object; separate objects on separate
// threads. open()/openBytes() once; everything lives until the object goes.
// The stop flag may be set from any thread: every read after it fails, so a
// reader in the middle of a long search gives up at its next read.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A four-character code as a big-endian number: fourcc("moov").
constexpr uint32_t fourcc(const char (&code)[5]) {
    return (uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16) |
           (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3]));
}

struct IsoBox {
    uint32_t type = 0;
    uint64_t offset = 0;      // of the box's first byte in the file
    uint64_t size = 0;        // the whole box, header included (cut to its parent)
    uint32_t headerSize = 8;  // 8, or 16 with a 64-bit size
    uint64_t payloadOffset() const { return offset + headerSize; }
    uint64_t payloadSize() const { return size - headerSize; }
};

// One sample of a track: where its bytes are and when it plays.
struct IsoSample {
    uint64_t offset = 0;
    uint32_t size = 0;
    int64_t startTicks = 0;  // in the track's time scale
    uint32_t durationTicks = 0;
};

struct IsoTrack {
    uint32_t id = 0;
    uint32_t handlerType = 0;  // fourcc("text"), fourcc("meta"), fourcc("vide") ...
    std::string handlerName;   // printable ASCII only
    uint32_t sampleEntry = 0;  // fourcc of the first stsd entry ("text", "gpmd", "camm" ...)
    uint32_t timescale = 0;    // mdhd; 0 when missing (times then count as milliseconds)
    uint64_t duration = 0;     // mdhd, in the time scale; 0 when missing
    IsoBox stbl;               // the sample table box (size 0 when missing)

    // A timed text track, as cameras and muxers mark one.
    bool isText() const {
        return handlerType == fourcc("text") || handlerType == fourcc("sbtl") || handlerType == fourcc("subt") ||
               sampleEntry == fourcc("text") || sampleEntry == fourcc("tx3g");
    }
};

class IsoFile {
public:
    static constexpr int kMaxDepth = 8;
    static constexpr size_t kMaxChildren = 100'000;  // boxes listed of one parent
    static constexpr size_t kMaxTracks = 64;
    static constexpr size_t kMaxSamples = 2'000'000;   // samples of one track's table
    static constexpr size_t kMaxRead = 64 * 1024 * 1024;  // one read() at most
    // Box headers read of one file, whatever walks them: a file of millions
    // of tiny boxes costs a fixed amount of time.
    static constexpr size_t kMaxBoxes = 1'000'000;

    // Regular files only (a FIFO or a device could block). reason says why not.
    bool open(const std::string& path, std::string& reason);
    // A file of a folder held open, never through a link.
    bool openAt(int folderFd, const std::string& name, std::string& reason);
    // A file held in memory (fuzzers, tests); the bytes must outlive the object.
    bool openBytes(std::string_view bytes, std::string& reason);
    ~IsoFile();
    IsoFile() = default;
    IsoFile(const IsoFile&) = delete;
    IsoFile& operator=(const IsoFile&) = delete;

    const std::string& path() const { return path_; }  // empty for openBytes
    // The open file, for a reader that maps it; -1 for openBytes.
    int descriptor() const { return fd_; }
    // Read before every read; null (the default) never stops.
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    uint64_t size() const { return size_; }
    bool stopped() const { return stop_ != nullptr && stop_->load(std::memory_order_relaxed); }
    // Box headers read so far; once kMaxBoxes are, no further box is found.
    size_t boxesRead() const { return boxesRead_; }
    bool boxBudgetSpent() const { return boxesRead_ >= kMaxBoxes; }
    // Bytes read so far (what the searches' budgets are checked against).
    uint64_t bytesRead() const { return bytesRead_; }
    // The first offset at or after `offset` that may hold data other than
    // zeros: a sparse file's holes are passed over (size() when none is left).
    uint64_t nextData(uint64_t offset) const;

    const std::vector<IsoBox>& topLevel() const { return top_; }
    // The first top-level box of that type, or null.
    const IsoBox* findTop(uint32_t type) const;
    // The boxes inside parent's payload (from `skip` bytes into it: full
    // boxes and sample entries have fields before their children), at most
    // `limit` of them.
    std::vector<IsoBox> children(const IsoBox& parent, uint64_t skip = 0, size_t limit = kMaxChildren) const;
    // The first child of that type, false when none.
    bool findChild(const IsoBox& parent, uint32_t type, IsoBox& found, uint64_t skip = 0) const;

    const std::vector<IsoTrack>& tracks() const { return tracks_; }
    // moov's mvhd creation time as seconds since 1970; false when missing or before 1970.
    bool creationTime(int64_t& unixSeconds) const;
    // moov's mvhd duration in seconds; 0 when missing.
    double durationSeconds() const;
    // moov's mvhd time scale (ticks a second); 0 when missing.
    uint32_t movieTimescale() const { return movieTimescale_; }
    // moov itself (size 0 when missing).
    const IsoBox& moov() const { return moov_; }

    // Every sample of the track, in order; false (reason set) when the table is
    // damaged beyond use. Entries pointing outside the file are dropped.
    bool samples(const IsoTrack& track, std::vector<IsoSample>& out, std::string& reason) const;

    // Exactly n bytes at offset (n <= kMaxRead); false when they are not all there.
    bool read(uint64_t offset, size_t n, std::string& out) const;
    bool read(uint64_t offset, size_t n, void* out) const;
    // A box's payload, when it is at most `limit` bytes (else false).
    bool payload(const IsoBox& box, std::string& out, size_t limit = kMaxRead) const;

private:
    bool openAt(int folderFd, const std::string& path, std::string& reason, int flags);
    bool parse(std::string& reason);
    void parseMoov();
    bool header(uint64_t at, uint64_t end, IsoBox& box) const;
    // n <= 16 bytes at offset through a block of the file kept for the next headers.
    bool readHeaderBytes(uint64_t offset, size_t n, unsigned char* out) const;

    std::string path_;
    const std::atomic<bool>* stop_ = nullptr;
    int fd_ = -1;
    std::string_view bytes_;  // openBytes
    uint64_t size_ = 0;
    std::vector<IsoBox> top_;
    IsoBox moov_{0, 0, 0, 8};
    std::vector<IsoTrack> tracks_;
    int64_t creation_ = 0;
    bool hasCreation_ = false;
    double durationSeconds_ = 0.0;
    uint32_t movieTimescale_ = 0;
    mutable size_t boxesRead_ = 0;
    mutable uint64_t bytesRead_ = 0;
    mutable std::string block_;
    mutable uint64_t blockOffset_ = 0;
};
