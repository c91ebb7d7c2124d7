#pragma once
// Which clips of a list are the cameras of one moment: a front clip and its
// rear (or interior, or side) clips, recorded side by side into files of
// their own.
//
// A clip's camera, channel and start come from its name
// (cameras/CameraNaming). Clips are of one moment when they are of one
// camera (one family, in one folder or in sibling channel folders such as
// "Front/" and "Back/"), of different channels, and started at most
// kMaxStartGap apart: the name's time where it has one, else the time given
// with the clip. Two clips of one channel never share a moment. A name the
// table does not know has no partner.
//
// For the two-camera player each clip has at most one partner: the front
// takes the rear when there is one, else the interior; a rear without a
// front takes the interior.
//
// Pure functions on plain data; any thread.
#include "cameras/CameraChannel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace partners {

using Channel = cameras::CameraChannel;

struct ClipStamp {
    std::string path;
    double startSeconds = 0;  // seconds since the epoch: the track's first moment, else the file's time
};

constexpr double kMaxStartGap = 3.0;

// The channel of a file name and the camera it belongs to (see
// cameras::ClipName::camera); Channel::None and an empty key for a name no
// entry of the table knows.
struct ChannelName {
    Channel channel = Channel::None;
    std::string key;
};
ChannelName channelOf(std::string_view path);

// The indexes of the paths on the same camera as path (the same family and
// channel, or both unknown names), in order: a stretch of a drive goes on
// through one camera's clips, never into the other camera of the same moment.
std::vector<size_t> sameChannel(const std::vector<std::string>& paths, std::string_view path);

// The moments of the list: each a group of indexes of one camera's
// channels, in order of their start. Clips with no channel in their name are
// in no moment.
std::vector<std::vector<size_t>> matchMoments(const std::vector<ClipStamp>& clips);

// For each clip, the index of its partner in the same list, if any.
std::vector<std::optional<size_t>> matchPartners(const std::vector<ClipStamp>& clips);

}  // namespace partners
