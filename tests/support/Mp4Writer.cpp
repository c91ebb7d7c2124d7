#include "support/Mp4Writer.h"

#include "support/Bytes.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace testing_support {

using namespace bytes;

namespace {

constexpr uint64_t kSecondsFrom1904To1970 = 2082844800;

struct TopBox {
    std::string type;
    uint64_t offset = 0;
    uint64_t size = 0;
    uint64_t newOffset = 0;
};

std::string matrix() {
    std::string m;
    for (uint32_t v : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) u32be(m, v);
    return m;
}

std::string mvhd(uint32_t creation1904, uint32_t timescale, uint32_t duration, uint32_t nextTrackId) {
    std::string p;
    u32be(p, creation1904);
    u32be(p, creation1904);
    u32be(p, timescale);
    u32be(p, duration);
    u32be(p, 0x10000);  // rate 1.0
    u16be(p, 0x100);    // volume 1.0
    p.append(10, '\0');
    p += matrix();
    p.append(24, '\0');
    u32be(p, nextTrackId);
    return fullBox("mvhd", 0, 0, p);
}

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

std::string writeFile(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".part";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return "cannot write " + temporary;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) return "cannot write " + temporary;
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return "cannot rename " + temporary;
    return {};
}

bool topLevelBoxes(const std::string& file, std::vector<TopBox>& boxes) {
    uint64_t at = 0;
    while (at + 8 <= file.size()) {
        TopBox b{file.substr(at + 4, 4), at, getU32be(file, at)};
        if (b.size == 1 && at + 16 <= file.size()) b.size = getU64be(file, at + 8);
        if (b.size == 0) b.size = file.size() - at;
        if (b.size < 8 || at + b.size > file.size()) return false;
        boxes.push_back(b);
        at += b.size;
    }
    return at == file.size();
}

// Walks the boxes in [begin, end) of `file`, descending into the containers
// that lead to sample tables, and calls visit(type, payloadStart, end).
template <typename Visit>
void walk(std::string& file, uint64_t begin, uint64_t end, const Visit& visit) {
    static const char* const kContainers[] = {"moov", "trak", "mdia", "minf", "stbl"};
    for (uint64_t at = begin; at + 8 <= end;) {
        const uint64_t size = getU32be(file, at);
        if (size < 8 || at + size > end) return;
        const std::string type = file.substr(at + 4, 4);
        bool container = false;
        for (const char* c : kContainers) container = container || type == c;
        if (container)
            walk(file, at + 8, at + size, visit);
        else
            visit(type, at + 8, at + size);
        at += size;
    }
}

}  // namespace

struct Mp4Writer::Layout {
    std::vector<uint64_t> mediaOffsets;
    std::vector<std::vector<uint64_t>> sampleOffsets;
};

Mp4Writer::Mp4Writer(int64_t creationUnixSeconds, int64_t durationMs)
    : creationUnixSeconds_(creationUnixSeconds), durationMs_(durationMs) {}

void Mp4Writer::addTrack(Mp4Track track) {
    tracks_.push_back(std::move(track));
}

void Mp4Writer::addTopBox(std::string box) {
    topBoxes_.push_back(std::move(box));
}

void Mp4Writer::addMediaData(std::string bytes) {
    mediaData_.push_back(std::move(bytes));
}

void Mp4Writer::addMoovChild(MoovChildBuilder build) {
    moovChildren_.push_back(std::move(build));
}

std::string Mp4Writer::textSampleEntry() {
    std::string p(6, '\0');
    u16be(p, 1);          // data reference
    u32be(p, 0);          // display flags
    u32be(p, 1);          // justification
    p.append(6, '\0');    // background colour
    p.append(8, '\0');    // default text box
    p.append(8, '\0');    // reserved
    p.append(4, '\0');    // font number, face
    p.append(3, '\0');    // reserved
    p.append(6, '\xff');  // foreground colour
    p.push_back('\0');    // font name (empty Pascal string)
    return box("text", p);
}

std::string Mp4Writer::plainSampleEntry(const char* type) {
    std::string p(6, '\0');
    u16be(p, 1);
    return box(type, p);
}

std::string Mp4Writer::mediaPayload(uint64_t payloadOffset, Layout& layout) const {
    std::string payload;
    for (const std::string& data : mediaData_) {
        layout.mediaOffsets.push_back(payloadOffset + payload.size());
        payload += data;
    }
    for (const Mp4Track& track : tracks_) {
        layout.sampleOffsets.emplace_back();
        for (const std::string& sample : track.samples) {
            layout.sampleOffsets.back().push_back(payloadOffset + payload.size());
            payload += sample;
        }
    }
    return payload;
}

std::string Mp4Writer::trak(const Mp4Track& track, uint32_t id, const std::vector<uint64_t>& offsets,
                            uint32_t movieTimescale) const {
    const auto created = static_cast<uint32_t>(creationUnixSeconds_ + kSecondsFrom1904To1970);
    uint64_t ticks = 0;
    for (uint32_t d : track.durations) ticks += d;

    std::string tkhd;
    u32be(tkhd, created);
    u32be(tkhd, created);
    u32be(tkhd, id);
    u32be(tkhd, 0);
    u32be(tkhd, static_cast<uint32_t>(ticks * movieTimescale / track.timescale));
    tkhd.append(16, '\0');  // reserved, layer, group, volume, reserved
    tkhd += matrix();
    tkhd.append(8, '\0');  // width, height

    std::string mdhd;
    u32be(mdhd, created);
    u32be(mdhd, created);
    u32be(mdhd, track.timescale);
    u32be(mdhd, static_cast<uint32_t>(ticks));
    u16be(mdhd, 0x55C4);  // "und"
    u16be(mdhd, 0);

    std::string hdlr(4, '\0');
    hdlr += track.handlerType;
    hdlr.append(12, '\0');
    hdlr += track.handlerName;
    hdlr.push_back('\0');

    std::string stsd;
    u32be(stsd, 1);
    stsd += track.sampleEntry;

    std::string stts;
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (uint32_t d : track.durations) {
        if (!runs.empty() && runs.back().second == d)
            ++runs.back().first;
        else
            runs.emplace_back(1, d);
    }
    u32be(stts, runs.size());
    for (const auto& [count, delta] : runs) {
        u32be(stts, count);
        u32be(stts, delta);
    }

    std::string stsc;  // one sample a chunk
    u32be(stsc, 1);
    for (uint32_t v : {1u, 1u, 1u}) u32be(stsc, v);

    std::string stsz;
    u32be(stsz, 0);
    u32be(stsz, track.samples.size());
    for (const std::string& s : track.samples) u32be(stsz, s.size());

    std::string stco;
    u32be(stco, offsets.size());
    for (uint64_t o : offsets) u32be(stco, o);

    const std::string stbl =
        box("stbl", fullBox("stsd", 0, 0, stsd) + fullBox("stts", 0, 0, stts) + fullBox("stsc", 0, 0, stsc) +
                        fullBox("stsz", 0, 0, stsz) + fullBox("stco", 0, 0, stco));
    std::string dref;
    u32be(dref, 1);
    dref += fullBox("url ", 0, 1, "");
    const std::string minf = box("minf", fullBox("nmhd", 0, 0, "") + box("dinf", fullBox("dref", 0, 0, dref)) + stbl);
    return box("trak", fullBox("tkhd", 0, 3, tkhd) +
                           box("mdia", fullBox("mdhd", 0, 0, mdhd) + fullBox("hdlr", 0, 0, hdlr) + minf));
}

std::string Mp4Writer::newMoovChildren(const Layout& layout, uint32_t firstTrackId, uint32_t movieTimescale) const {
    std::string children;
    for (size_t i = 0; i < tracks_.size(); ++i)
        children += trak(tracks_[i], firstTrackId + static_cast<uint32_t>(i), layout.sampleOffsets[i], movieTimescale);
    for (const MoovChildBuilder& build : moovChildren_) children += build(layout.mediaOffsets);
    return children;
}

std::string Mp4Writer::write(const std::string& path) const {
    std::string ftyp = "isom";
    u32be(ftyp, 0x200);
    ftyp += "isomiso2mp41";
    std::string file = box("ftyp", ftyp);
    for (const std::string& b : topBoxes_) file += b;
    Layout layout;
    file += box("mdat", mediaPayload(file.size() + 8, layout));
    const auto created = static_cast<uint32_t>(creationUnixSeconds_ + kSecondsFrom1904To1970);
    const auto nextId = static_cast<uint32_t>(tracks_.size() + 1);
    file +=
        box("moov", mvhd(created, 1000, static_cast<uint32_t>(durationMs_), nextId) + newMoovChildren(layout, 1, 1000));
    return writeFile(path, file);
}

std::string Mp4Writer::addTo(const std::string& path) const {
    std::string old;
    if (!readFile(path, old)) return "cannot read " + path;
    std::vector<TopBox> boxes;
    if (!topLevelBoxes(old, boxes)) return "not a plain ISO media file: " + path;
    const TopBox* moov = nullptr;
    bool beforeMdat = true;
    std::string file;
    for (TopBox& b : boxes) {
        if (b.type == "moov") {
            moov = &b;
            continue;
        }
        if (b.type == "mdat" && beforeMdat) {
            for (const std::string& top : topBoxes_) file += top;
            beforeMdat = false;
        }
        b.newOffset = file.size();
        file.append(old, b.offset, b.size);
    }
    if (!moov || beforeMdat) return "no moov or mdat in " + path;
    if (moov->size > UINT32_MAX) return "moov too large in " + path;
    const auto moved = [&](uint64_t offset) {
        for (const TopBox& b : boxes)
            if (b.type != "moov" && offset >= b.offset && offset < b.offset + b.size)
                return offset - b.offset + b.newOffset;
        return offset;
    };

    std::string moovBytes = old.substr(moov->offset, moov->size);
    uint32_t movieTimescale = 1000, nextTrackId = 1;
    const auto created = static_cast<uint32_t>(creationUnixSeconds_ + kSecondsFrom1904To1970);
    std::string failure;
    walk(moovBytes, 8, moovBytes.size(), [&](const std::string& type, uint64_t at, uint64_t end) {
        if (type == "mvhd" && end - at >= 100) {
            const bool v1 = moovBytes[at] == 1;
            if (v1) {
                failure = "64-bit movie header";
                return;
            }
            putU32be(moovBytes, at + 4, created);
            putU32be(moovBytes, at + 8, created);
            movieTimescale = getU32be(moovBytes, at + 12);
            nextTrackId = getU32be(moovBytes, end - 4);
            putU32be(moovBytes, end - 4, nextTrackId + static_cast<uint32_t>(tracks_.size()));
        } else if ((type == "stco" || type == "co64") && end - at >= 8) {
            const uint64_t count = getU32be(moovBytes, at + 4);
            const uint64_t width = type == "stco" ? 4 : 8;
            for (uint64_t i = 0; i < count && at + 8 + (i + 1) * width <= end; ++i) {
                const uint64_t entry = at + 8 + i * width;
                if (width == 4) {
                    const uint64_t to = moved(getU32be(moovBytes, entry));
                    if (to > UINT32_MAX) failure = "chunk offset beyond 4 GB";
                    putU32be(moovBytes, entry, static_cast<uint32_t>(to));
                } else {
                    const uint64_t to = moved(getU64be(moovBytes, entry));
                    putU32be(moovBytes, entry, static_cast<uint32_t>(to >> 32));
                    putU32be(moovBytes, entry + 4, static_cast<uint32_t>(to));
                }
            }
        }
    });
    if (!failure.empty()) return failure + " in " + path;

    Layout layout;
    file += box("mdat", mediaPayload(file.size() + 8, layout));
    moovBytes += newMoovChildren(layout, nextTrackId, movieTimescale);
    putU32be(moovBytes, 0, static_cast<uint32_t>(moovBytes.size()));
    file += moovBytes;
    return writeFile(path, file);
}

}  // namespace testing_support
