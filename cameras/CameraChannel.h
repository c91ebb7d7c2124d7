#pragma once
// The cameras of one recorder: which one a clip was recorded by. Room for
// the six of a car that records all around (front, back, two repeaters, two
// pillars). Pure; any thread.
#include <string_view>

namespace cameras {

enum class CameraChannel { None, Front, Rear, Interior, LeftRepeater, RightRepeater, LeftPillar, RightPillar };

// "F", "R", "I", "left_repeater", "right_repeater", "left_pillar",
// "right_pillar"; "" for None. The letters are those trips were always named by.
std::string_view channelName(CameraChannel channel);
// The channel of one of those names (exactly); None for any other text.
CameraChannel channelOfName(std::string_view name);

// A car's camera by its number, as the keys 1 to 6 make it the large one:
// front, back, left and right repeater, left and right pillar; None else.
CameraChannel carCameraNumbered(int number);

// The channel a recorder's per-camera folder is named after ("Front",
// "Back", "Rear", "Inside", "Interior"; letter case ignored); None for any
// other folder name.
CameraChannel channelOfFolder(std::string_view folderName);

}  // namespace cameras
