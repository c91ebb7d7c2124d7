#include "cameras/ClipName.h"

namespace cameras {

std::string_view familyName(CameraFamily family) {
    switch (family) {
        case CameraFamily::Viofo: return "Viofo";
        case CameraFamily::BlackVue: return "BlackVue";
        case CameraFamily::Thinkware: return "Thinkware";
        case CameraFamily::Nextbase: return "Nextbase";
        case CameraFamily::Vantrue: return "Vantrue";
        case CameraFamily::SeventyMai: return "70mai";
        case CameraFamily::Tesla: return "Tesla";
        case CameraFamily::Generic: return "Generic";
        case CameraFamily::Unknown: break;
    }
    return "";
}

std::string ClipName::streamLabel() const {
    std::string label(channelName(channel));
    if (variant != 0) label.push_back(variant);
    return label;
}

}  // namespace cameras
