#include "repair/RepairProfile.h"

#include "telemetry/BigEndian.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace {

constexpr size_t kMaxBoxCopy = 1 << 20;  // a header or sample description larger than this is not a camera's

bool copyBox(const IsoFile& file, const IsoBox& box, std::string& out) {
    return box.size <= kMaxBoxCopy && file.read(box.offset, static_cast<size_t>(box.size), out);
}

// The most common value of a table of (count, delta) pairs.
uint32_t usualDelta(std::string_view stts) {
    if (stts.size() < 8) return 0;
    const uint32_t entries = bigEndian::u32(stts, 4);
    std::map<uint32_t, uint64_t> counts;
    for (uint32_t i = 0; i < entries && 16 + 8ull * i <= stts.size(); ++i)
        counts[bigEndian::u32(stts, 12 + 8 * i)] += bigEndian::u32(stts, 8 + 8 * i);
    uint32_t best = 0;
    uint64_t most = 0;
    for (const auto& [delta, count] : counts)
        if (count > most) most = count, best = delta;
    return best;
}

// The greatest common divisor of the samples-per-chunk of every stsc entry.
uint32_t chunkGranularity(std::string_view stsc) {
    if (stsc.size() < 8) return 1;
    const uint32_t entries = bigEndian::u32(stsc, 4);
    uint32_t g = 0;
    // The last chunk of a clip may be short; only entries before the last count.
    for (uint32_t i = 0; i + 1 < entries && 20 + 12ull * i <= stsc.size(); ++i)
        g = std::gcd(g, bigEndian::u32(stsc, 12 + 12 * i));
    return g == 0 ? 1 : g;
}

// The DecoderSpecificInfo (tag 5) inside esds's descriptors.
std::string decoderConfig(std::string_view esds) {
    for (size_t i = 4; i + 2 < esds.size(); ++i) {
        if (static_cast<uint8_t>(esds[i]) != 0x05) continue;
        size_t at = i + 1, length = 0;
        for (int n = 0; n < 4 && at < esds.size(); ++n) {
            const auto c = static_cast<uint8_t>(esds[at++]);
            length = (length << 7) | (c & 0x7F);
            if ((c & 0x80) == 0) break;
        }
        if (length >= 2 && length <= 64 && at + length <= esds.size()) return std::string(esds.substr(at, length));
    }
    return {};
}

bool isPcm(uint32_t entry) {
    for (const uint32_t code : {fourcc("sowt"), fourcc("twos"), fourcc("lpcm"), fourcc("ipcm"), fourcc("in24"),
                                fourcc("in32"), fourcc("raw ")})
        if (entry == code) return true;
    return false;
}

}  // namespace

bool RepairProfile::learn(const IsoFile& ref, std::string& reason) {
    tracks.clear();
    const IsoBox& moov = ref.moov();
    if (moov.size == 0) {
        reason = "the reference is itself cut short (no index)";
        return false;
    }
    unsigned char head[16];
    if (!ref.read(moov.offset, 8, head) || bigEndian::u32(head) != moov.size) {
        reason = "the reference is itself cut short (its index is incomplete)";
        return false;
    }
    IsoBox found;
    if (ref.findTop(fourcc("moof")) != nullptr || ref.findChild(moov, fourcc("mvex"), found)) {
        reason = "the reference is fragmented";
        return false;
    }
    if (const IsoBox* f = ref.findTop(fourcc("ftyp"))) copyBox(ref, *f, ftyp);
    movieTimescale = ref.movieTimescale() != 0 ? ref.movieTimescale() : 1000;
    novatekIndex = ref.findChild(moov, fourcc("gps "), found);

    for (const IsoBox& trak : ref.children(moov)) {
        if (trak.type != fourcc("trak")) continue;
        RepairTrack t;
        IsoBox tkhd, mdia, mdhd, hdlr, minf, dinf, stbl, stsd, stts, stsc, stsz;
        if (!ref.findChild(trak, fourcc("tkhd"), tkhd) || !ref.findChild(trak, fourcc("mdia"), mdia) ||
            !ref.findChild(mdia, fourcc("mdhd"), mdhd) || !ref.findChild(mdia, fourcc("hdlr"), hdlr) ||
            !ref.findChild(mdia, fourcc("minf"), minf) || !ref.findChild(minf, fourcc("stbl"), stbl) ||
            !ref.findChild(stbl, fourcc("stsd"), stsd))
            continue;
        std::string handler;
        if (!copyBox(ref, tkhd, t.tkhd) || !copyBox(ref, mdhd, t.mdhd) || !copyBox(ref, hdlr, t.hdlr) ||
            !copyBox(ref, stsd, t.stsd) || t.hdlr.size() < 20 || t.mdhd.size() < 24)
            continue;
        if (ref.findChild(minf, fourcc("dinf"), dinf)) copyBox(ref, dinf, t.dinf);
        for (const IsoBox& c : ref.children(minf))
            if (c.type == fourcc("vmhd") || c.type == fourcc("smhd") || c.type == fourcc("nmhd") ||
                c.type == fourcc("gmhd") || c.type == fourcc("sthd"))
                copyBox(ref, c, t.mediaHeader);
        t.handlerType = bigEndian::u32(t.hdlr, 16);
        const bool v1 = t.mdhd[8] == 1;
        if (v1 && t.mdhd.size() < 36) continue;
        t.timescale = bigEndian::u32(t.mdhd, v1 ? 28 : 20);
        std::string table;
        if (ref.findChild(stbl, fourcc("stts"), stts) && ref.payload(stts, table, kMaxBoxCopy))
            t.sampleDelta = usualDelta(table);
        if (t.timescale == 0 || t.sampleDelta == 0) continue;

        const std::vector<IsoBox> entries = ref.children(stsd, 8, 1);
        if (entries.empty()) continue;
        const IsoBox entry = entries.front();
        std::string e;
        if (!ref.payload(entry, e, kMaxBoxCopy)) continue;
        if ((entry.type == fourcc("avc1") || entry.type == fourcc("avc3") || entry.type == fourcc("hvc1") ||
             entry.type == fourcc("hev1")) &&
            e.size() >= 78) {
            t.kind = RepairTrack::Kind::Video;
            t.hevc = entry.type == fourcc("hvc1") || entry.type == fourcc("hev1");
            t.width = bigEndian::u16(e, 24);
            t.height = bigEndian::u16(e, 26);
            IsoBox config;
            if (!ref.findChild(entry, fourcc(t.hevc ? "hvcC" : "avcC"), config, 78) ||
                !ref.payload(config, t.parameterSets, kMaxBoxCopy))
                continue;
            const size_t at = t.hevc ? 21 : 4;
            if (t.parameterSets.size() <= at) continue;
            t.nalLengthSize = (static_cast<uint8_t>(t.parameterSets[at]) & 3) + 1;
            if (t.nalLengthSize == 3) continue;
            IsoBox ctts;
            t.reorders = ref.findChild(stbl, fourcc("ctts"), ctts);
            std::string sizes;
            if (ref.findChild(stbl, fourcc("stsz"), stsz) && ref.payload(stsz, sizes, 1 << 22) && sizes.size() >= 12) {
                const uint32_t fixed = bigEndian::u32(sizes, 4);
                const uint32_t count = bigEndian::u32(sizes, 8);
                t.maxPicture = fixed;
                for (uint32_t i = 0; fixed == 0 && i < count && 16 + 4ull * i <= sizes.size(); ++i)
                    t.maxPicture = std::max(t.maxPicture, bigEndian::u32(sizes, 12 + 4 * i));
            }
        } else if (t.handlerType == fourcc("soun") && e.size() >= 28) {
            t.channels = bigEndian::u16(e, 16);
            t.sampleRate = bigEndian::u32(e, 24) >> 16;
            const uint32_t bits = bigEndian::u16(e, 18);
            const uint16_t version = bigEndian::u16(e, 8);
            const uint64_t skip = version == 1 ? 44 : version == 2 ? 64 : 28;
            if (entry.type == fourcc("mp4a")) {
                IsoBox esds;
                std::string es;
                if (!ref.findChild(entry, fourcc("esds"), esds, skip)) {
                    // QuickTime keeps it inside a wave box.
                    IsoBox wave;
                    if (ref.findChild(entry, fourcc("wave"), wave, skip)) ref.findChild(wave, fourcc("esds"), esds);
                }
                if (esds.size == 0 || !ref.payload(esds, es, 4096)) continue;
                t.audioConfig = decoderConfig(es);
                if (t.audioConfig.empty()) continue;
                t.kind = RepairTrack::Kind::Aac;
            } else if (isPcm(entry.type)) {
                t.kind = RepairTrack::Kind::Pcm;
                t.pcmFrameBytes = t.channels * std::max<uint32_t>(bits, 8) / 8;
                std::string sizes;
                if (ref.findChild(stbl, fourcc("stsz"), stsz) && ref.read(stsz.payloadOffset(), 8, sizes) &&
                    bigEndian::u32(sizes, 4) != 0)
                    t.pcmFrameBytes = bigEndian::u32(sizes, 4);
                if (ref.findChild(stbl, fourcc("stsc"), stsc) && ref.payload(stsc, table, kMaxBoxCopy))
                    t.pcmChunkFrames = chunkGranularity(table);
                if (t.pcmFrameBytes == 0 || t.pcmFrameBytes > 64) continue;
                t.sampleDelta = 1;
            } else {
                continue;  // a sound the walk cannot find: the copy has none
            }
        } else if (IsoTrack probe; (probe.handlerType = t.handlerType, probe.sampleEntry = entry.type, probe.isText())) {
            t.kind = RepairTrack::Kind::Text;
            std::string sizes;
            if (ref.findChild(stbl, fourcc("stsz"), stsz) && ref.payload(stsz, sizes, 1 << 22) && sizes.size() >= 12) {
                const uint32_t fixed = bigEndian::u32(sizes, 4);
                const uint32_t count = bigEndian::u32(sizes, 8);
                for (uint32_t i = 0; i < count && !t.emptyTextSamples; ++i)
                    t.emptyTextSamples = fixed == 2 || (fixed == 0 && 16 + 4ull * i <= sizes.size() &&
                                                        bigEndian::u32(sizes, 12 + 4 * i) == 2);
            }
        } else {
            continue;  // other data tracks are not walked
        }
        tracks.push_back(std::move(t));
    }
    const auto video = std::find_if(tracks.begin(), tracks.end(),
                                    [](const RepairTrack& t) { return t.kind == RepairTrack::Kind::Video; });
    if (video == tracks.end()) {
        reason = "the reference has no H.264 or H.265 picture track";
        return false;
    }
    std::rotate(tracks.begin(), video, video + 1);
    return true;
}

std::string RepairProfile::describe() const {
    std::string text = std::string(video().hevc ? "H.265 " : "H.264 ") + std::to_string(video().width) + "x" +
                       std::to_string(video().height);
    for (const RepairTrack& t : tracks) {
        if (t.kind == RepairTrack::Kind::Aac) text += ", AAC " + std::to_string(t.sampleRate) + " Hz";
        if (t.kind == RepairTrack::Kind::Pcm) text += ", PCM " + std::to_string(t.sampleRate) + " Hz";
        if (t.kind == RepairTrack::Kind::Text) text += ", text track";
    }
    return text;
}
