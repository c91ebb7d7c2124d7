#pragma once
// Builds an ISO media file around test data: tracks of timed samples (text,
// gpmd, camm ...), top-level boxes in front of the media data, bytes placed
// in the media data, and extra children of moov built once those bytes'
// offsets are known. Either writes a file holding only this data, or adds it
// to an existing clip (made by ffmpeg): new tracks join moov, their samples
// go into a second mdat, the top-level boxes go in front of the first mdat,
// and every chunk offset of the existing tracks is moved to match.
//
// Threads: one thread per object; a plain builder, no resources held.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct Mp4Track {
    std::string handlerType;  // four characters: "text", "meta"
    std::string handlerName;
    std::string sampleEntry;  // the whole stsd entry box
    uint32_t timescale = 1000;
    std::vector<std::string> samples;
    std::vector<uint32_t> durations;  // ticks, one a sample
};

class Mp4Writer {
public:
    // The absolute file offsets of the addMediaData() blocks, in order.
    using MoovChildBuilder = std::function<std::string(const std::vector<uint64_t>& offsets)>;

    explicit Mp4Writer(int64_t creationUnixSeconds, int64_t durationMs);

    void addTrack(Mp4Track track);
    void addTopBox(std::string box);
    void addMediaData(std::string bytes);
    void addMoovChild(MoovChildBuilder build);

    // ftyp, the top-level boxes, mdat, moov. Returns "" or what went wrong.
    std::string write(const std::string& path) const;
    // Rewrites an existing clip with the data added. Returns "" or what went wrong.
    std::string addTo(const std::string& path) const;

    static std::string textSampleEntry();
    static std::string plainSampleEntry(const char* type);

private:
    struct Layout;
    std::string mediaPayload(uint64_t payloadOffset, Layout& layout) const;
    std::string trak(const Mp4Track& track, uint32_t id, const std::vector<uint64_t>& offsets,
                     uint32_t movieTimescale) const;
    std::string newMoovChildren(const Layout& layout, uint32_t firstTrackId, uint32_t movieTimescale) const;

    int64_t creationUnixSeconds_;
    int64_t durationMs_;
    std::vector<Mp4Track> tracks_;
    std::vector<std::string> topBoxes_;
    std::vector<std::string> mediaData_;
    std::vector<MoovChildBuilder> moovChildren_;
};

}  // namespace testing_support
