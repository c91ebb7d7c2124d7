#include "evidence/ExportStretch.h"

#include "platform/FileSystem.h"

#include <cmath>
#include <cstdio>

namespace {

// What is left over of a stretch after the last clip, from rounding alone.
constexpr double kSlackSeconds = 0.05;

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", value);
    return text;
}

std::string nameOf(const StretchClip& clip) {
    const std::string name = platform::fileName(clip.path);
    return name.empty() ? clip.path : name;
}

}  // namespace

bool ExportStretch::plan(const std::vector<StretchClip>& clips, size_t firstClip, double startSeconds,
                         double lengthSeconds, std::vector<StretchSegment>& segments, std::string& reason) {
    segments.clear();
    if (!std::isfinite(lengthSeconds) || lengthSeconds <= 0.0 || lengthSeconds > kMaxLengthSeconds) {
        reason = "the length must be more than 0 s and at most " + seconds(kMaxLengthSeconds);
        return false;
    }
    if (firstClip >= clips.size()) {
        reason = "no clip to start from";
        return false;
    }
    const StretchClip& first = clips[firstClip];
    if (!std::isfinite(startSeconds) || startSeconds < 0.0 || startSeconds >= first.lengthSeconds) {
        reason = nameOf(first) + ": the start " + seconds(startSeconds) + " is outside the clip (" +
                 seconds(first.lengthSeconds) + " long)";
        return false;
    }
    double left = lengthSeconds;
    double at = startSeconds;
    double output = 0.0;
    for (size_t i = firstClip; i < clips.size() && left > kSlackSeconds; ++i) {
        const StretchClip& clip = clips[i];
        if (i > firstClip) {
            const StretchClip& before = clips[i - 1];
            if (clip.lengthSeconds <= 0.0) {
                reason = nameOf(clip) + ": at " + seconds(output) + " of the stretch the clip has no video to join";
                segments.clear();
                return false;
            }
            if (before.startSeconds && clip.startSeconds) {
                const double gap = *clip.startSeconds - (*before.startSeconds + before.lengthSeconds);
                if (gap > kMaxGapSeconds) {
                    reason = nameOf(clip) + ": at " + seconds(output) + " of the stretch there is a gap of " +
                             seconds(gap) + " after " + nameOf(before);
                    segments.clear();
                    return false;
                }
            }
            at = 0.0;
        }
        const double take = std::min(left, clip.lengthSeconds - at);
        if (take <= 0.0) continue;
        segments.push_back({i, at, at + take, output});
        output += take;
        left -= take;
    }
    if (left > kSlackSeconds) {
        reason = nameOf(clips.back()) + ": the stretch goes " + seconds(left) +
                 " beyond its end; the clips given do not cover it";
        segments.clear();
        return false;
    }
    return true;
}

bool ExportStretch::locate(const std::vector<StretchClip>& clips, double atSeconds, size_t& clip, double& moment) {
    for (size_t i = 0; i < clips.size(); ++i) {
        if (!clips[i].startSeconds) continue;
        const double into = atSeconds - *clips[i].startSeconds;
        if (into >= 0.0 && into < clips[i].lengthSeconds) {
            clip = i;
            moment = into;
            return true;
        }
    }
    return false;
}
