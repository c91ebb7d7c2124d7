#pragma once
// Which clips of a list are the cameras of one moment: a front clip and its
// rear (or interior) clip, recorded side by side into files of their own.
//
// A clip's channel is the letter F (front), R (rear) or I (interior) that
// ends its name's stem, after '_', '-', a digit, or a letter that follows
// '_' ("..._NF" / "..._NR"). Two clips are partners when their names are the
// same apart from that letter and their start times are at most
// kMaxStartGap apart. Each clip has at most one partner: the front takes the
// rear when there is one, else the interior; a rear without a front takes
// the interior.
//
// Pure functions on plain data; any thread.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace partners {

enum class Channel { None, Front, Rear, Interior };

struct ClipStamp {
    std::string path;
    double startSeconds = 0;  // seconds since the epoch: the track's first moment, else the file's time
};

constexpr double kMaxStartGap = 3.0;

// The channel of a file name (folders are ignored) and the name without the
// letter; Channel::None and an empty key for any other name.
struct ChannelName {
    Channel channel = Channel::None;
    std::string key;
};
ChannelName channelOf(std::string_view path);

// The indexes of the paths on the same camera as path (the same channel, or
// none), in order: a stretch of a drive goes on through one camera's clips,
// never into the other camera of the same moment.
std::vector<size_t> sameChannel(const std::vector<std::string>& paths, std::string_view path);

// For each clip, the index of its partner in the same list, if any.
std::vector<std::optional<size_t>> matchPartners(const std::vector<ClipStamp>& clips);

}  // namespace partners
