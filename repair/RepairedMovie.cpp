#include "repair/RepairedMovie.h"

#include "repair/BoxBytes.h"

#include <algorithm>

using namespace boxBytes;

namespace {

constexpr uint64_t kMp4Epoch = 2082844800;  // seconds from 1904 to 1970

// Creation and modification time, and duration, of a tkhd or mdhd copied
// from the reference (versions 0 and 1 lay them out differently).
void patchHeader(std::string& b, bool mdhd, uint64_t time, uint64_t duration) {
    const bool v1 = b.size() > 8 && b[8] == 1;
    const size_t durationAt = mdhd ? (v1 ? 32 : 24) : (v1 ? 36 : 28);
    if (b.size() < durationAt + (v1 ? 8 : 4)) return;
    if (v1) {
        put64(b, 12, time);
        put64(b, 20, time);
        put64(b, durationAt, duration);
    } else {
        put32(b, 12, static_cast<uint32_t>(time));
        put32(b, 16, static_cast<uint32_t>(time));
        put32(b, durationAt, static_cast<uint32_t>(std::min<uint64_t>(duration, UINT32_MAX)));
    }
}

std::string matrix() {
    std::string m;
    for (const uint32_t v : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u}) u32(m, v);
    return m;
}

}  // namespace

uint64_t RepairedMovie::mediaTicks(size_t index) const {
    const RepairTrack& t = profile_.tracks[index];
    uint64_t samples = 0;
    for (const WalkedSample& s : walk_.tracks[index])
        samples += t.kind == RepairTrack::Kind::Pcm ? s.size / t.pcmFrameBytes : 1;
    return samples * t.sampleDelta;
}

double RepairedMovie::seconds() const {
    return double(mediaTicks(0)) / double(profile_.video().timescale);
}

PictureOrder::Offsets RepairedMovie::pictureOffsets() const {
    std::vector<bool> keys;
    for (const WalkedSample& s : walk_.tracks[0]) keys.push_back(s.key);
    return PictureOrder::offsets(walk_.pictureCounts, keys);
}

std::string RepairedMovie::sampleTable(size_t index) const {
    const RepairTrack& t = profile_.tracks[index];
    const std::vector<WalkedSample>& samples = walk_.tracks[index];
    const bool pcm = t.kind == RepairTrack::Kind::Pcm;
    std::string stts, stss, stsc, stsz, co64;
    uint32_t count = 0;
    // PCM: a chunk per stretch, runs of equal stretches share an stsc entry.
    std::vector<std::pair<uint32_t, uint32_t>> runs;  // first chunk, frames per chunk
    for (size_t i = 0; i < samples.size(); ++i) {
        u64(co64, moved(samples[i].offset));
        if (pcm) {
            const uint32_t frames = samples[i].size / t.pcmFrameBytes;
            count += frames;
            if (runs.empty() || runs.back().second != frames) runs.push_back({static_cast<uint32_t>(i + 1), frames});
        } else {
            ++count;
            u32(stsz, samples[i].size);
            if (samples[i].key) u32(stss, static_cast<uint32_t>(i + 1));
        }
    }
    std::string p;
    u32(p, 1);
    u32(p, count);
    u32(p, t.sampleDelta);
    std::string table = fullBox("stts", 0, 0, p);
    if (const PictureOrder::Offsets order = index == 0 ? pictureOffsets() : PictureOrder::Offsets{};
        !order.frames.empty()) {
        std::string offsetRuns;
        uint32_t entries = 0;
        for (size_t i = 0; i < order.frames.size();) {
            size_t j = i;
            while (j < order.frames.size() && order.frames[j] == order.frames[i]) ++j;
            u32(offsetRuns, static_cast<uint32_t>(j - i));
            u32(offsetRuns, order.frames[i] * t.sampleDelta);
            ++entries;
            i = j;
        }
        p.clear();
        u32(p, entries);
        table += fullBox("ctts", 0, 0, p + offsetRuns);
    }
    if (t.kind == RepairTrack::Kind::Video) {
        p.clear();
        u32(p, static_cast<uint32_t>(stss.size() / 4));
        table += fullBox("stss", 0, 0, p + stss);
    }
    p.clear();
    if (pcm) {
        u32(p, static_cast<uint32_t>(runs.size()));
        for (const auto& [first, frames] : runs) {
            u32(p, first);
            u32(p, frames);
            u32(p, 1);
        }
    } else {
        u32(p, 1);
        for (const uint32_t v : {1u, 1u, 1u}) u32(p, v);
    }
    table += fullBox("stsc", 0, 0, p);
    p.clear();
    u32(p, pcm ? t.pcmFrameBytes : 0);
    u32(p, count);
    table += fullBox("stsz", 0, 0, pcm ? p : p + stsz);
    p.clear();
    u32(p, static_cast<uint32_t>(samples.size()));
    table += fullBox("co64", 0, 0, p + co64);
    return box("stbl", t.stsd + table);
}

std::string RepairedMovie::trak(size_t index, uint64_t mp4Time, uint32_t trackId) const {
    const RepairTrack& t = profile_.tracks[index];
    const uint64_t ticks = mediaTicks(index);
    std::string tkhd = t.tkhd, mdhd = t.mdhd;
    patchHeader(tkhd, false, mp4Time, ticks * profile_.movieTimescale / t.timescale);
    patchHeader(mdhd, true, mp4Time, ticks);
    const size_t idAt = tkhd.size() > 8 && tkhd[8] == 1 ? 28 : 20;
    if (tkhd.size() >= idAt + 4) put32(tkhd, idAt, trackId);
    std::string dinf = t.dinf;
    if (dinf.empty()) {
        std::string dref;
        u32(dref, 1);
        dinf = box("dinf", fullBox("dref", 0, 0, dref + fullBox("url ", 0, 1, "")));
    }
    const std::string minf = box("minf", t.mediaHeader + dinf + sampleTable(index));
    std::string edts;
    if (const PictureOrder::Offsets order = index == 0 ? pictureOffsets() : PictureOrder::Offsets{};
        order.delay > 0) {
        std::string p;
        u32(p, 1);
        u32(p, static_cast<uint32_t>(std::min<uint64_t>(ticks * profile_.movieTimescale / t.timescale, UINT32_MAX)));
        u32(p, order.delay * t.sampleDelta);  // media time of the first picture shown
        u32(p, 0x00010000);                   // rate 1
        edts = box("edts", fullBox("elst", 0, 0, p));
    }
    return box("trak", tkhd + edts + box("mdia", mdhd + t.hdlr + minf));
}

std::string RepairedMovie::moov(int64_t creationUnixSeconds) const {
    const uint64_t mp4Time = creationUnixSeconds > 0 ? uint64_t(creationUnixSeconds) + kMp4Epoch : 0;
    uint64_t duration = 0;
    std::string traks;
    uint32_t nextId = 1;
    for (size_t i = 0; i < profile_.tracks.size(); ++i) {
        if (walk_.tracks[i].empty()) continue;
        const RepairTrack& t = profile_.tracks[i];
        duration = std::max(duration, mediaTicks(i) * profile_.movieTimescale / t.timescale);
        traks += trak(i, mp4Time, nextId++);
    }
    std::string p;
    u64(p, mp4Time);
    u64(p, mp4Time);
    u32(p, profile_.movieTimescale);
    u64(p, duration);
    u32(p, 0x00010000);  // rate
    u16(p, 0x0100);      // volume
    p.append(10, '\0');
    p += matrix();
    p.append(24, '\0');
    u32(p, nextId);
    std::string moov = fullBox("mvhd", 1, 0, p) + traks;
    if (profile_.novatekIndex && !walk_.dataBlocks.empty()) {
        std::string g;
        u32(g, 0x101);
        u32(g, static_cast<uint32_t>(walk_.dataBlocks.size()));
        for (const WalkedSample& b : walk_.dataBlocks) {
            u32(g, static_cast<uint32_t>(std::min<uint64_t>(moved(b.offset), UINT32_MAX)));
            u32(g, b.size);
        }
        moov += box("gps ", g);
    }
    return box("moov", moov);
}
