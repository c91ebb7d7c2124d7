#pragma once
// A minimal ISO media file held in memory around the samples of one track
// (ftyp, mdat, moov with mvhd and one trak, each sample its own chunk), for
// readers' tests of hostile payloads and for fuzzers, which open it with
// IsoFile::openBytes. Plain functions; any thread.
#include "support/Bytes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct TrackClipSpec {
    const char* handler = "meta";      // hdlr type
    const char* sampleEntry = "gpmd";  // the stsd entry's type
    uint32_t timescale = 1000;
    int64_t creationUnixSeconds = 1796637600;  // 0: no creation time
    std::vector<std::string> samples;
    std::vector<uint32_t> durations;  // ticks; missing ones are 1000
};

inline std::string trackClipBytes(const TrackClipSpec& spec) {
    using namespace bytes;
    std::string file = box("ftyp", std::string("isom") + std::string(4, '\0') + "isommp41");
    std::vector<uint64_t> offsets;
    std::string media;
    for (const std::string& s : spec.samples) {
        offsets.push_back(file.size() + 8 + media.size());
        media += s;
    }
    file += box("mdat", media);

    const uint32_t created = spec.creationUnixSeconds > 0 ? static_cast<uint32_t>(spec.creationUnixSeconds + 2082844800) : 0;
    std::string mvhd;
    u32be(mvhd, created);
    u32be(mvhd, created);
    u32be(mvhd, 1000);
    u32be(mvhd, 0);
    mvhd.append(80, '\0');
    std::string tkhd;
    u32be(tkhd, created);
    u32be(tkhd, created);
    u32be(tkhd, 1);  // track id
    tkhd.append(72, '\0');
    std::string mdhd;
    u32be(mdhd, created);
    u32be(mdhd, created);
    u32be(mdhd, spec.timescale);
    u32be(mdhd, 0);
    u32be(mdhd, 0);
    std::string hdlr(4, '\0');
    hdlr += std::string(spec.handler, 4);
    hdlr.append(12, '\0');
    hdlr += "Data";
    hdlr.push_back('\0');

    std::string entry(6, '\0');
    u16be(entry, 1);  // data reference index
    std::string stsd;
    u32be(stsd, 1);
    stsd += box(spec.sampleEntry, entry);
    std::string stts, stsc, stsz, stco;
    u32be(stts, spec.samples.size());
    for (size_t i = 0; i < spec.samples.size(); ++i) {
        u32be(stts, 1);
        u32be(stts, i < spec.durations.size() ? spec.durations[i] : 1000);
    }
    u32be(stsc, 1);
    for (uint32_t v : {1u, 1u, 1u}) u32be(stsc, v);
    u32be(stsz, 0);
    u32be(stsz, spec.samples.size());
    for (const std::string& s : spec.samples) u32be(stsz, s.size());
    u32be(stco, offsets.size());
    for (uint64_t o : offsets) u32be(stco, o);
    const std::string stbl = box("stbl", fullBox("stsd", 0, 0, stsd) + fullBox("stts", 0, 0, stts) +
                                             fullBox("stsc", 0, 0, stsc) + fullBox("stsz", 0, 0, stsz) +
                                             fullBox("stco", 0, 0, stco));
    const std::string mdia =
        box("mdia", fullBox("mdhd", 0, 0, mdhd) + fullBox("hdlr", 0, 0, hdlr) + box("minf", stbl));
    file += box("moov", fullBox("mvhd", 0, 0, mvhd) + box("trak", fullBox("tkhd", 0, 3, tkhd) + mdia));
    return file;
}

}  // namespace testing_support
