#pragma once
// The panel's lines of a car's own channels: steering angle, accelerator
// pedal, brake, indicators, gear and driver-assistance state, each its
// language label followed by the value ("Steering: -43.5°"). A channel the
// shown moment does not have gives no line, and a clip of any other camera
// none at all, so the panel hides those rows. Numbers take the language's
// decimal sign; a label or word the language file lacks is the English one.
//
// Threads: a plain value, owned by the view manager on the UI thread.
#include "config/ConfigStore.h"
#include "telemetry/VehicleChannels.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

class VehiclePanelTexts {
public:
    enum Row { Steering = 0, Accelerator, Brake, Indicators, Gear, Assist, RowCount };
    // The panel's label controls, by row.
    static constexpr std::array<const char*, RowCount> kLabelNames = {
        "LabelSteering", "LabelAccelerator", "LabelBrake", "LabelIndicators", "LabelGear", "LabelAssist"};

    struct Words {
        std::array<std::string, RowCount> labels{
            "Steering:", "Accelerator:", "Brake:", "Indicators:", "Gear:", "Driver assistance:"};
        std::string on = "on", off = "off", left = "left", right = "right", both = "both";
        std::string assistNone = "off", selfDriving = "self-driving", autosteer = "Autosteer",
                    cruise = "traffic-aware cruise";
        std::string decimalSign = ".";
    };

    // The words of the current language file; what it lacks stays English.
    static Words ReadWords(const ConfigStore& store);

    // Rewrites the shown lines in the new words.
    void SetWords(const Words& words);
    // The channels of the moment shown; empty when it has none.
    void Show(const std::optional<VehicleChannels>& channels);

    // The row's line, or nothing when the row is hidden.
    const std::optional<std::string>& line(Row row) const { return lines_[static_cast<size_t>(row)]; }
    bool anyShown() const;

private:
    void format();

    Words words_;
    std::optional<VehicleChannels> channels_;
    std::array<std::optional<std::string>, RowCount> lines_;
};
