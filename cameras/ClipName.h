#pragma once
// What a clip's file name says about it, as one entry of the naming table
// (cameras/CameraNaming) reads it: the camera family, the channel, the kind
// of recording and the moment the recording started. A name no entry knows
// has family Unknown and channel None: one camera on its own. Plain value;
// any thread.
#include "cameras/CameraChannel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cameras {

enum class CameraFamily { Unknown, Viofo, BlackVue, Thinkware, Nextbase, Vantrue, SeventyMai, Tesla, Generic };

enum class RecordingKind { Unknown, Normal, Event, Parking, Manual };

std::string_view familyName(CameraFamily family);

struct ClipName {
    CameraFamily family = CameraFamily::Unknown;
    CameraChannel channel = CameraChannel::None;
    RecordingKind kind = RecordingKind::Unknown;  // Unknown where the name does not say
    // The name's date and time, the camera's local clock, as seconds since
    // 1970 read as if UTC; empty where the name has none.
    std::optional<int64_t> startSeconds;
    char variant = 0;  // a second recording of the channel (Nextbase's 'H' and 'L'), else 0
    // The recorder a clip belongs to: family, folder (sibling channel folders
    // count as one), extension and variant; for Generic names the whole name
    // without its channel letter. Clips of one camera key may be partners.
    std::string camera;

    bool known() const { return family != CameraFamily::Unknown; }
    // One camera's recording of one channel: a stretch or a trip follows it.
    bool sameStream(const ClipName& other) const {
        return family == other.family && channel == other.channel && variant == other.variant;
    }
    // The channel as trips name it ("F", "FH", "left_repeater"; "" without).
    std::string streamLabel() const;
};

}  // namespace cameras
