#include "telemetry/IsoFile.h"

#include "telemetry/BigEndian.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr int64_t kSeconds1904To1970 = 2082844800;

using bigEndian::u32;
using bigEndian::u64;

const unsigned char* bytesOf(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// A table's entry count, cut to what its box can hold.
size_t entriesThatFit(const std::string& payload, size_t headerBytes, size_t entryBytes) {
    if (payload.size() < headerBytes) return 0;
    const size_t claimed = u32(bytesOf(payload) + 4);
    return std::min(claimed, (payload.size() - headerBytes) / entryBytes);
}

}  // namespace

IsoFile::~IsoFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool IsoFile::open(const std::string& path, std::string& reason) {
    return openAt(AT_FDCWD, path, reason, 0);
}

bool IsoFile::openAt(int folderFd, const std::string& name, std::string& reason) {
    return openAt(folderFd, name, reason, O_NOFOLLOW);
}

bool IsoFile::openAt(int folderFd, const std::string& path, std::string& reason, int flags) {
    path_ = path;
    // Non-blocking, so a FIFO never stalls the open; only a regular file is read.
    fd_ = ::openat(folderFd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | flags);
    if (fd_ < 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd_, &st) != 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = S_ISDIR(st.st_mode) ? "is a folder, not a video file" : "is not a regular file";
        return false;
    }
    size_ = static_cast<uint64_t>(st.st_size);
    return parse(reason);
}

bool IsoFile::openBytes(std::string_view bytes, std::string& reason) {
    bytes_ = bytes;
    size_ = bytes.size();
    return parse(reason);
}

bool IsoFile::read(uint64_t offset, size_t n, void* out) const {
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) return false;
    if (n > kMaxRead || offset > size_ || n > size_ - offset) return false;
    bytesRead_ += n;
    if (fd_ < 0) {
        std::memcpy(out, bytes_.data() + offset, n);
        return true;
    }
    auto* to = static_cast<char*>(out);
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, to + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an I/O error, or the file shrank
        done += static_cast<size_t>(got);
    }
    return true;
}

uint64_t IsoFile::nextData(uint64_t offset) const {
    if (fd_ < 0 || offset >= size_) return std::min(offset, size_);
    const off_t data = ::lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
    if (data >= 0) return std::min<uint64_t>(static_cast<uint64_t>(data), size_);
    return errno == ENXIO ? size_ : offset;  // ENXIO: only a hole is left; else the file system cannot tell
}

bool IsoFile::read(uint64_t offset, size_t n, std::string& out) const {
    if (n > kMaxRead || offset > size_ || n > size_ - offset) return false;
    out.resize(n);
    return read(offset, n, out.data());
}

bool IsoFile::payload(const IsoBox& box, std::string& out, size_t limit) const {
    if (box.payloadSize() > std::min(limit, kMaxRead)) return false;
    return read(box.payloadOffset(), static_cast<size_t>(box.payloadSize()), out);
}

bool IsoFile::readHeaderBytes(uint64_t offset, size_t n, unsigned char* out) const {
    if (fd_ < 0) return read(offset, n, out);
    if (stopped() || offset > size_ || n > size_ - offset) return false;
    if (offset < blockOffset_ || offset + n > blockOffset_ + block_.size()) {
        // Neighbouring boxes' headers lie in one block: one read for many.
        constexpr uint64_t kBlock = 64 * 1024;
        if (!read(offset, static_cast<size_t>(std::min(kBlock, size_ - offset)), block_)) {
            block_.clear();
            return false;
        }
        blockOffset_ = offset;
    }
    std::memcpy(out, block_.data() + (offset - blockOffset_), n);
    return true;
}

bool IsoFile::header(uint64_t at, uint64_t end, IsoBox& box) const {
    unsigned char h[16];
    if (boxesRead_ >= kMaxBoxes || stopped()) return false;
    ++boxesRead_;
    if (at > end || end - at < 8 || !readHeaderBytes(at, 8, h)) return false;
    box.offset = at;
    box.type = u32(h + 4);
    box.headerSize = 8;
    uint64_t size = u32(h);
    if (size == 1) {
        if (end - at < 16 || !readHeaderBytes(at + 8, 8, h + 8)) return false;
        size = u64(h + 8);
        box.headerSize = 16;
    } else if (size == 0) {
        size = end - at;  // to the end of the parent
    }
    if (size < box.headerSize) return false;
    box.size = std::min(size, end - at);  // a box never reaches past its parent
    return true;
}

std::vector<IsoBox> IsoFile::children(const IsoBox& parent, uint64_t skip, size_t limit) const {
    std::vector<IsoBox> found;
    const uint64_t end = parent.offset + parent.size;
    if (skip > parent.payloadSize()) return found;
    uint64_t at = parent.payloadOffset() + skip;
    IsoBox box;
    limit = std::min(limit, kMaxChildren);
    while (found.size() < limit && header(at, end, box)) {
        found.push_back(box);
        at += box.size;
    }
    return found;
}

bool IsoFile::findChild(const IsoBox& parent, uint32_t type, IsoBox& found, uint64_t skip) const {
    const uint64_t end = parent.offset + parent.size;
    if (skip > parent.payloadSize()) return false;
    uint64_t at = parent.payloadOffset() + skip;
    IsoBox box;
    for (size_t n = 0; n < kMaxChildren && header(at, end, box); ++n, at += box.size) {
        if (box.type == type) {
            found = box;
            return true;
        }
    }
    return false;
}

const IsoBox* IsoFile::findTop(uint32_t type) const {
    for (const IsoBox& box : top_)
        if (box.type == type) return &box;
    return nullptr;
}

double IsoFile::durationSeconds() const {
    return durationSeconds_;
}

bool IsoFile::creationTime(int64_t& unixSeconds) const {
    if (!hasCreation_) return false;
    unixSeconds = creation_;
    return true;
}

bool IsoFile::parse(std::string& reason) {
    if (size_ < 8) {
        reason = size_ == 0 ? "is empty" : "is not an MP4 or MOV file";
        return false;
    }
    uint64_t at = 0;
    IsoBox box;
    while (top_.size() < kMaxChildren && header(at, size_, box)) {
        top_.push_back(box);
        at += box.size;
    }
    // The first box of every ISO media file is one of a few; anything else is another container.
    static constexpr uint32_t kFirstBoxes[] = {fourcc("ftyp"), fourcc("moov"), fourcc("mdat"), fourcc("free"),
                                               fourcc("skip"), fourcc("wide"), fourcc("pnot"), fourcc("uuid")};
    if (top_.empty() || std::find(std::begin(kFirstBoxes), std::end(kFirstBoxes), top_.front().type) ==
                            std::end(kFirstBoxes)) {
        top_.clear();
        reason = "is not an MP4 or MOV file";
        return false;
    }
    if (const IsoBox* moov = findTop(fourcc("moov"))) {
        moov_ = *moov;
        parseMoov();
    }
    return true;
}

void IsoFile::parseMoov() {
    std::string data;
    IsoBox box;
    if (findChild(moov_, fourcc("mvhd"), box) && read(box.payloadOffset(), std::min<uint64_t>(box.payloadSize(), 32), data) &&
        data.size() >= 8) {
        const auto* p = bytesOf(data);
        // Version 1: 64-bit times, timescale at 20 and duration at 24; version 0: 12 and 16.
        const bool wide = p[0] == 1;
        if (data.size() >= (wide ? 32u : 20u)) {
            const uint32_t scale = u32(p + (wide ? 20 : 12));
            const uint64_t length = wide ? u64(p + 24) : u32(p + 16);
            if (scale > 0 && length < (uint64_t(1) << 53)) durationSeconds_ = static_cast<double>(length) / scale;
            movieTimescale_ = scale;
        }
        const int64_t since1904 = p[0] == 1 ? (data.size() >= 12 ? static_cast<int64_t>(u64(p + 4) >> 0) : 0)
                                            : static_cast<int64_t>(u32(p + 4));
        if (since1904 > kSeconds1904To1970 && since1904 < (int64_t(1) << 40)) {
            creation_ = since1904 - kSeconds1904To1970;
            hasCreation_ = true;
        }
    }
    for (const IsoBox& trak : children(moov_)) {
        if (trak.type != fourcc("trak") || tracks_.size() >= kMaxTracks) continue;
        IsoTrack track;
        if (findChild(trak, fourcc("tkhd"), box) && read(box.payloadOffset(), std::min<uint64_t>(box.payloadSize(), 24), data) &&
            data.size() >= 24)
            track.id = data[0] == 1 ? u32(bytesOf(data) + 20) : u32(bytesOf(data) + 12);
        IsoBox mdia;
        if (!findChild(trak, fourcc("mdia"), mdia)) continue;
        if (findChild(mdia, fourcc("mdhd"), box) && read(box.payloadOffset(), std::min<uint64_t>(box.payloadSize(), 32), data) &&
            data.size() >= 24) {
            const bool wide = data[0] == 1;
            track.timescale = wide ? u32(bytesOf(data) + 20) : u32(bytesOf(data) + 12);
            if (!wide) track.duration = u32(bytesOf(data) + 16);
            else if (data.size() >= 32) track.duration = u64(bytesOf(data) + 24);
        }
        if (findChild(mdia, fourcc("hdlr"), box) && read(box.payloadOffset(), std::min<uint64_t>(box.payloadSize(), 300), data) &&
            data.size() >= 12) {
            track.handlerType = u32(bytesOf(data) + 8);
            // The name: a C string (MP4) or a counted one (QuickTime); printable ASCII kept.
            std::string_view name = data.size() > 24 ? std::string_view(data).substr(24) : std::string_view();
            if (!name.empty() && static_cast<unsigned char>(name[0]) == name.size() - 1) name.remove_prefix(1);
            for (const char c : name) {
                if (c == '\0') break;
                if (c >= 0x20 && c < 0x7F) track.handlerName += c;
            }
        }
        IsoBox minf;
        if (findChild(mdia, fourcc("minf"), minf) && findChild(minf, fourcc("stbl"), track.stbl)) {
            // stsd: version and flags, entry count, then the entries as boxes.
            IsoBox stsd;
            if (findChild(track.stbl, fourcc("stsd"), stsd)) {
                const std::vector<IsoBox> entries = children(stsd, 8, 1);
                if (!entries.empty()) track.sampleEntry = entries.front().type;
            }
        }
        tracks_.push_back(std::move(track));
    }
}

bool IsoFile::samples(const IsoTrack& track, std::vector<IsoSample>& out, std::string& reason) const {
    out.clear();
    if (track.stbl.size == 0) {
        reason = "the track has no sample table";
        return false;
    }
    std::string stts, stsc, stsz, stco;
    bool wide = false;
    IsoBox box;
    // Each table is bounded by what kMaxSamples entries take.
    constexpr size_t kTableLimit = 16 + kMaxSamples * 12;
    if (findChild(track.stbl, fourcc("stts"), box)) payload(box, stts, kTableLimit);
    if (findChild(track.stbl, fourcc("stsc"), box)) payload(box, stsc, kTableLimit);
    if (findChild(track.stbl, fourcc("stsz"), box)) payload(box, stsz, kTableLimit);
    if (findChild(track.stbl, fourcc("co64"), box)) {
        wide = true;
        payload(box, stco, kTableLimit);
    } else if (findChild(track.stbl, fourcc("stco"), box)) {
        payload(box, stco, kTableLimit);
    }
    if (stsz.size() < 12 || stco.size() < 8 || stsc.size() < 8) {
        reason = "the track's sample table is damaged";
        return false;
    }
    // stsz: version/flags, one size for all (or 0), count, then the sizes.
    const uint32_t commonSize = u32(bytesOf(stsz) + 4);
    size_t sampleCount = u32(bytesOf(stsz) + 8);
    if (commonSize == 0) sampleCount = std::min(sampleCount, (stsz.size() - 12) / 4);
    sampleCount = std::min(sampleCount, kMaxSamples);
    const size_t chunkCount = entriesThatFit(stco, 8, wide ? 8 : 4);
    const size_t runCount = entriesThatFit(stsc, 8, 12);
    const size_t timeRuns = entriesThatFit(stts, 8, 8);

    out.reserve(std::min<size_t>(sampleCount, 65536));
    size_t sample = 0;
    size_t timeRun = 0;
    uint32_t leftInTimeRun = timeRuns > 0 ? u32(bytesOf(stts) + 8) : 0;
    int64_t ticks = 0;
    const auto nextDuration = [&]() -> uint32_t {
        while (timeRun < timeRuns && leftInTimeRun == 0 && ++timeRun < timeRuns)
            leftInTimeRun = u32(bytesOf(stts) + 8 + timeRun * 8);
        if (timeRun >= timeRuns) return 0;
        --leftInTimeRun;
        return u32(bytesOf(stts) + 8 + timeRun * 8 + 4);
    };
    bool dropped = false;
    size_t chunksDone = 0;  // runs must go forward: a chunk is never read twice
    for (size_t run = 0; run < runCount && sample < sampleCount; ++run) {
        const unsigned char* entry = bytesOf(stsc) + 8 + run * 12;
        const size_t firstChunk = u32(entry);
        const size_t perChunk = u32(entry + 4);
        const size_t nextFirst = run + 1 < runCount ? u32(entry + 12) : chunkCount + 1;
        if (firstChunk == 0 || nextFirst <= firstChunk) continue;  // a run out of order gives nothing
        for (size_t chunk = std::max(firstChunk, chunksDone + 1); chunk < nextFirst && chunk <= chunkCount && sample < sampleCount; ++chunk) {
            chunksDone = chunk;
            const unsigned char* c = bytesOf(stco) + 8 + (chunk - 1) * (wide ? 8 : 4);
            uint64_t offset = wide ? u64(c) : u32(c);
            for (size_t k = 0; k < perChunk && sample < sampleCount; ++k, ++sample) {
                IsoSample s;
                s.offset = offset;
                s.size = commonSize != 0 ? commonSize : u32(bytesOf(stsz) + 12 + sample * 4);
                s.startTicks = ticks;
                s.durationTicks = nextDuration();
                ticks += s.durationTicks;
                offset += s.size;
                if (s.offset > size_ || s.size > size_ - s.offset) {
                    dropped = true;  // outside the file: a clip cut short, or a lie
                    continue;
                }
                out.push_back(s);
            }
        }
    }
    if (dropped && out.empty()) {
        reason = "the track's samples lie outside the file";
        return false;
    }
    return true;
}
