#include "support/TrackOnlyClip.h"

#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"

#include <unistd.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace testing_support {

namespace {

void u8(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xff));
}
void u16(std::string& out, uint32_t v) {
    u8(out, v >> 8);
    u8(out, v);
}
void u32(std::string& out, uint32_t v) {
    u16(out, v >> 16);
    u16(out, v & 0xffff);
}

std::string box(const char* type, const std::string& payload) {
    std::string out;
    u32(out, static_cast<uint32_t>(payload.size() + 8));
    out += type;
    return out + payload;
}

std::string fullBox(const char* type, uint32_t flags, const std::string& payload) {
    std::string head;
    u32(head, flags);
    return box(type, head + payload);
}

std::string matrix() {
    std::string out;
    for (const uint32_t v : {0x10000u, 0u, 0u, 0u, 0x10000u, 0u, 0u, 0u, 0x40000000u}) u32(out, v);
    return out;
}

// The sample description ffmpeg's own mov_text encoder writes: its style
// decodes to plain text.
std::string textSampleEntry() {
    std::string e(6, '\0');
    u16(e, 1);                                  // data reference
    u32(e, 0);                                  // display flags
    u8(e, 1);                                   // horizontal justification
    u8(e, 0xff);                                // vertical justification
    u32(e, 0x000000ff);                         // background
    e.append(8, '\0');                          // box record
    u16(e, 0), u16(e, 0), u16(e, 1);            // style: start, end, font
    u8(e, 0), u8(e, 0x10), u32(e, 0xffffffff);  // face, size, colour
    std::string font;
    u16(font, 1), u16(font, 1), u8(font, 5);
    font += "Arial";
    return box("tx3g", e + box("ftab", font));
}

}  // namespace

std::string writeTrackOnlyClip(const std::string& path, size_t cues, int cueMs,
                               const std::function<std::string(size_t)>& text) {
    std::string samples, sizes;
    sizes.reserve(cues * 4);
    for (size_t i = 0; i < cues; ++i) {
        const std::string t = text(i).substr(0, 0xffff);
        u32(sizes, static_cast<uint32_t>(t.size() + 2));
        u16(samples, static_cast<uint32_t>(t.size()));
        samples += t;
    }
    const auto duration = static_cast<uint32_t>(cues * static_cast<size_t>(cueMs));

    std::string mvhd;
    u32(mvhd, 0), u32(mvhd, 0), u32(mvhd, 1000), u32(mvhd, duration), u32(mvhd, 0x10000), u16(mvhd, 0x100);
    mvhd.append(10, '\0');
    mvhd += matrix();
    mvhd.append(24, '\0');
    u32(mvhd, 2);
    std::string tkhd;
    u32(tkhd, 0), u32(tkhd, 0), u32(tkhd, 1), u32(tkhd, 0), u32(tkhd, duration);
    tkhd.append(8, '\0');
    u16(tkhd, 0), u16(tkhd, 0), u16(tkhd, 0), u16(tkhd, 0);
    tkhd += matrix();
    u32(tkhd, 0), u32(tkhd, 0);
    std::string mdhd;
    u32(mdhd, 0), u32(mdhd, 0), u32(mdhd, 1000), u32(mdhd, duration), u16(mdhd, 0x55c4), u16(mdhd, 0);
    std::string hdlr;
    u32(hdlr, 0);
    hdlr += "sbtl";
    hdlr.append(12, '\0');
    hdlr += std::string("Ambarella EXT") + '\0';
    std::string url = fullBox("url ", 1, "");
    std::string dref;
    u32(dref, 1);
    std::string stsd, stts, stsc, stsz;
    u32(stsd, 1);
    stsd += textSampleEntry();
    u32(stts, 1), u32(stts, static_cast<uint32_t>(cues)), u32(stts, static_cast<uint32_t>(cueMs));
    u32(stsc, 1), u32(stsc, 1), u32(stsc, static_cast<uint32_t>(cues)), u32(stsc, 1);
    u32(stsz, 0), u32(stsz, static_cast<uint32_t>(cues));
    stsz += sizes;

    std::string ftyp = "isom";
    u32(ftyp, 0x200);
    ftyp += "isommp41";
    ftyp = box("ftyp", ftyp);
    // The chunk offset is known once the boxes before the samples are.
    const auto moovWith = [&](uint32_t offset) {
        std::string stco;
        u32(stco, 1), u32(stco, offset);
        const std::string stbl =
            box("stbl", fullBox("stsd", 0, stsd) + fullBox("stts", 0, stts) + fullBox("stsc", 0, stsc) +
                            fullBox("stsz", 0, stsz) + fullBox("stco", 0, stco));
        const std::string minf =
            box("minf", fullBox("nmhd", 0, "") + box("dinf", fullBox("dref", 0, dref + url)) + stbl);
        const std::string mdia = box("mdia", fullBox("mdhd", 0, mdhd) + fullBox("hdlr", 0, hdlr) + minf);
        return box("moov", fullBox("mvhd", 0, mvhd) + box("trak", fullBox("tkhd", 3, tkhd) + mdia));
    };
    const size_t moovSize = moovWith(0).size();
    const std::string moov = moovWith(static_cast<uint32_t>(ftyp.size() + moovSize + 8));

    std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return "cannot write " + path;
    std::string mdatHead;
    u32(mdatHead, static_cast<uint32_t>(samples.size() + 8));
    mdatHead += "mdat";
    for (const std::string* part : std::initializer_list<const std::string*>{&ftyp, &moov, &mdatHead, &samples})
        if (std::fwrite(part->data(), 1, part->size(), file.get()) != part->size()) return "cannot write " + path;
    return {};
}

std::string addVideo(const std::string& trackClip, const std::string& path, int seconds) {
    const std::string inProgramFolder = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
    const std::string ffmpeg = platform::pathExists(inProgramFolder) ? inProgramFolder : "/usr/bin/ffmpeg";
    const std::vector<std::string> args{ffmpeg,
                                        "-hide_banner",
                                        "-loglevel",
                                        "error",
                                        "-y",
                                        "-f",
                                        "lavfi",
                                        "-t",
                                        std::to_string(seconds),
                                        "-i",
                                        "testsrc=size=64x36:rate=1",
                                        "-i",
                                        trackClip,
                                        "-map",
                                        "0:v",
                                        "-map",
                                        "1:s",
                                        "-c:v",
                                        "libx264",
                                        "-preset",
                                        "ultrafast",
                                        "-c:s",
                                        "copy",
                                        "-metadata:s:s:0",
                                        "handler_name=Ambarella EXT",
                                        path};
    platform::ChildProcess child;
    platform::ChildProcess::Options options;
    options.mergeStderrIntoStdout = true;
    if (int rc = child.start(args, options)) return "ffmpeg did not start: errno " + std::to_string(rc);
    child.closeStdin();
    std::string output;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(child.stdoutFd(), buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    return child.waitFor(std::chrono::minutes(5)) == 0 ? std::string() : "ffmpeg failed: " + output;
}

}  // namespace testing_support
