#include "vehicle/CarEventReason.h"

#include <array>
#include <utility>

std::string CarEventReason::text(std::string_view reason, bool sentry) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kWords = {{
        {"user_interaction_dashcam_icon_tapped", "Saved with the camera icon"},
        {"user_interaction_dashcam_panel_save", "Saved from the camera panel"},
        {"user_interaction_honk", "Saved by the horn"},
        {"sentry_aware_object_detection", "Sentry: something came close"},
    }};
    if (reason.empty()) return sentry ? "Sentry event" : "Saved event";
    for (const auto& [written, words] : kWords)
        if (reason == written) return std::string(words);
    constexpr std::string_view kBumped = "sentry_aware_accel_";
    if (reason.substr(0, kBumped.size()) == kBumped)
        return "Sentry: the car was bumped (" + std::string(reason.substr(kBumped.size())) + ")";
    return std::string(reason);
}
