#pragma once
// frames.md5: the MD5 of every decoded video frame of an export's stretch
// in the original clips, in FFmpeg's framemd5 text, so that a copy re-muxed
// later can still be checked frame by frame. Each stretch (a part of one
// clip) gives one block, byte for byte what
//     ffmpeg -ss IN -i CLIP -t LENGTH -map 0:v:0 -f framemd5 -
// prints (IN and LENGTH in seconds with six decimals); a stretch over
// several clips gives their blocks one after the other, in order.
//
// Threads: any; no state. stop (when given) ends a long decode early.
#include "evidence/VerifyCheck.h"

#include <atomic>
#include <string>
#include <vector>

struct FrameStretch {
    std::string path;  // the original clip
    double inSeconds = 0.0;
    double outSeconds = 0.0;
};

class FrameHashes {
public:
    static constexpr const char* kName = "frames.md5";

    // The framemd5 text of one stretch; false with the reason.
    static bool ofStretch(const FrameStretch& stretch, std::string& text, std::string& reason,
                          const std::atomic<bool>* stop = nullptr);
    // Writes frames.md5 into the folder held by folderFd; sha256 receives
    // the SHA-256 of what was written.
    static bool write(int folderFd, const std::vector<FrameStretch>& stretches, std::string& sha256,
                      std::string& reason, const std::atomic<bool>* stop = nullptr);
    // Decodes the stretches again and compares with the folder's frames.md5
    // (all but the "#software" line, which names the FFmpeg of the day): one
    // line, naming the first frame that differs. No frames.md5: no line.
    static VerifyChecks check(int folderFd, const std::vector<FrameStretch>& stretches);
};
