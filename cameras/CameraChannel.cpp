#include "cameras/CameraChannel.h"

#include <array>
#include <utility>

namespace cameras {

namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] | 0x20) : a[i];
        if (x != b[i]) return false;
    }
    return true;
}

}  // namespace

std::string_view channelName(CameraChannel channel) {
    switch (channel) {
        case CameraChannel::Front: return "F";
        case CameraChannel::Rear: return "R";
        case CameraChannel::Interior: return "I";
        case CameraChannel::LeftRepeater: return "left_repeater";
        case CameraChannel::RightRepeater: return "right_repeater";
        case CameraChannel::LeftPillar: return "left_pillar";
        case CameraChannel::RightPillar: return "right_pillar";
        case CameraChannel::None: break;
    }
    return "";
}

CameraChannel channelOfName(std::string_view name) {
    for (const CameraChannel channel :
         {CameraChannel::Front, CameraChannel::Rear, CameraChannel::Interior, CameraChannel::LeftRepeater,
          CameraChannel::RightRepeater, CameraChannel::LeftPillar, CameraChannel::RightPillar})
        if (!name.empty() && channelName(channel) == name) return channel;
    return CameraChannel::None;
}

CameraChannel carCameraNumbered(int number) {
    static constexpr CameraChannel kByNumber[] = {CameraChannel::Front,        CameraChannel::Rear,
                                                  CameraChannel::LeftRepeater, CameraChannel::RightRepeater,
                                                  CameraChannel::LeftPillar,   CameraChannel::RightPillar};
    return number >= 1 && number <= 6 ? kByNumber[number - 1] : CameraChannel::None;
}

CameraChannel channelOfFolder(std::string_view folderName) {
    static constexpr std::array<std::pair<std::string_view, CameraChannel>, 5> kFolders = {{
        {"front", CameraChannel::Front},
        {"back", CameraChannel::Rear},
        {"rear", CameraChannel::Rear},
        {"inside", CameraChannel::Interior},
        {"interior", CameraChannel::Interior},
    }};
    for (const auto& [name, channel] : kFolders)
        if (sameLetters(folderName, name)) return channel;
    return CameraChannel::None;
}

}  // namespace cameras
