#include "repair/CutClip.h"

#include "telemetry/BigEndian.h"

bool CutClip::isCut(const std::string& path) {
    IsoFile file;
    std::string reason;
    return file.open(path, reason) && of(file).state == State::Cut;
}

CutClip CutClip::of(const IsoFile& file) {
    CutClip cut;
    const IsoBox* mdat = file.findTop(fourcc("mdat"));
    if (mdat == nullptr) return cut;
    cut.mediaStart = mdat->payloadOffset();
    cut.mediaEnd = mdat->offset + mdat->size;  // the box reader has cut it to the file
    const IsoBox& moov = file.moov();
    unsigned char head[16];
    bool whole = false;
    if (moov.size != 0 && file.read(moov.offset, 8, head)) {
        uint64_t declared = bigEndian::u32(head);
        if (declared == 1 && file.read(moov.offset, 16, head)) declared = bigEndian::u64(head + 8);
        whole = declared == moov.size && !file.tracks().empty();
    }
    cut.state = whole ? State::HasIndex : State::Cut;
    return cut;
}
