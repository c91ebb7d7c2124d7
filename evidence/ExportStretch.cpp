#include "evidence/ExportStretch.h"

#include "platform/DurationText.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>

namespace {

// What is left over of a stretch after the last clip, from rounding alone.
constexpr double kSlackSeconds = 0.05;

std::string seconds(double value) {
    return platform::durationText(value);
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

namespace {

// Clip `next` goes on from clip `next - 1` within one drive.
bool joined(const std::vector<StretchClip>& clips, size_t next) {
    const StretchClip& before = clips[next - 1];
    const StretchClip& clip = clips[next];
    if (clip.lengthSeconds <= 0.0) return false;
    if (!before.startSeconds || !clip.startSeconds) return true;
    return *clip.startSeconds - (*before.startSeconds + before.lengthSeconds) <= ExportStretch::kMaxGapSeconds;
}

}  // namespace

void ExportStretch::keepWithinDrive(const std::vector<StretchClip>& clips, size_t origin, size_t& firstClip,
                                    double& startSeconds, double& lengthSeconds) {
    if (origin >= clips.size() || firstClip > origin) return;
    size_t begin = origin;
    while (begin > firstClip && joined(clips, begin)) --begin;
    size_t end = origin;
    while (end + 1 < clips.size() && joined(clips, end + 1)) ++end;
    if (firstClip < begin) {
        // The part before the drive is left out: the stretch starts with it.
        double skipped = clips[firstClip].lengthSeconds - startSeconds;
        for (size_t i = firstClip + 1; i < begin; ++i) skipped += clips[i].lengthSeconds;
        firstClip = begin;
        startSeconds = 0.0;
        lengthSeconds -= skipped;
    }
    double held = clips[firstClip].lengthSeconds - startSeconds;
    for (size_t i = firstClip + 1; i <= end; ++i) held += clips[i].lengthSeconds;
    lengthSeconds = std::min(lengthSeconds, held);
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
