#include "panel/VehiclePanelTexts.h"

#include "panel/PanelTexts.h"

#include <charconv>
#include <cmath>

namespace {

constexpr std::array<const char*, VehiclePanelTexts::RowCount> kLabelKeys = {
    "IDS_STEERING", "IDS_ACCELERATOR", "IDS_BRAKE", "IDS_INDICATORS", "IDS_GEAR", "IDS_ASSIST"};

// One decimal with the language's sign.
std::string oneDecimal(float value, std::string_view sign) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, std::isfinite(value) ? value : 0.0f, std::chars_format::fixed, 1);
    std::string text(buffer, r.ptr);
    if (const size_t dot = text.find('.'); dot != std::string::npos) text.replace(dot, 1, sign);
    return text;
}

}  // namespace

VehiclePanelTexts::Words VehiclePanelTexts::ReadWords(const ConfigStore& store) {
    Words words;
    const auto read = [&](const char* key, std::string& into) {
        std::string text = store.ReadLanguageString(key, PanelTexts::kSection);
        if (!text.empty()) into = std::move(text);
    };
    for (size_t row = 0; row < RowCount; ++row) read(kLabelKeys[row], words.labels[row]);
    read("IDS_VEHICLE_ON", words.on);
    read("IDS_VEHICLE_OFF", words.off);
    read("IDS_VEHICLE_LEFT", words.left);
    read("IDS_VEHICLE_RIGHT", words.right);
    read("IDS_VEHICLE_BOTH", words.both);
    read("IDS_ASSIST_NONE", words.assistNone);
    read("IDS_ASSIST_SELF_DRIVING", words.selfDriving);
    read("IDS_ASSIST_AUTOSTEER", words.autosteer);
    read("IDS_ASSIST_CRUISE", words.cruise);
    read("IDS_DECIMAL", words.decimalSign);
    return words;
}

void VehiclePanelTexts::SetWords(const Words& words) {
    words_ = words;
    format();
}

void VehiclePanelTexts::Show(const std::optional<VehicleChannels>& channels) {
    channels_ = channels;
    format();
}

bool VehiclePanelTexts::anyShown() const {
    for (const auto& line : lines_)
        if (line) return true;
    return false;
}

void VehiclePanelTexts::format() {
    lines_ = {};
    if (!channels_) return;
    const VehicleChannels& v = *channels_;
    const auto set = [&](Row row, const std::string& value) {
        lines_[static_cast<size_t>(row)] = words_.labels[static_cast<size_t>(row)] + " " + value;
    };
    if (v.steeringDeg) set(Steering, oneDecimal(*v.steeringDeg, words_.decimalSign) + "\xC2\xB0");
    if (v.acceleratorPct) set(Accelerator, oneDecimal(*v.acceleratorPct, words_.decimalSign) + " %");
    if (v.brake) set(Brake, *v.brake ? words_.on : words_.off);
    if (v.indicatorLeft || v.indicatorRight) {
        const bool left = v.indicatorLeft.value_or(false), right = v.indicatorRight.value_or(false);
        set(Indicators, left && right ? words_.both : left ? words_.left : right ? words_.right : words_.off);
    }
    if (v.gear) set(Gear, std::string(vehicleGearName(*v.gear)));
    if (v.assist) {
        switch (*v.assist) {
            case DriverAssist::None:
                set(Assist, words_.assistNone);
                break;
            case DriverAssist::SelfDriving:
                set(Assist, words_.selfDriving);
                break;
            case DriverAssist::Autosteer:
                set(Assist, words_.autosteer);
                break;
            case DriverAssist::TrafficAwareCruise:
                set(Assist, words_.cruise);
                break;
        }
    }
}
