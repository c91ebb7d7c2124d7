#pragma once
// The text the sound card list shows for a device description: one blank in
// front, no blanks at the end, single blanks inside. Only U+0020 counts as a
// blank; other characters are kept as they are.
//
// Threads: any.
#include <cstddef>
#include <string>
#include <string_view>

class SoundCardText {
public:
    static std::string tidy(std::string_view description);
    // tidy(), except that a description without any text gets the device
    // number (" #3"), so that every device still has a row one can tell apart.
    static std::string itemText(std::string_view description, size_t deviceNumber);
};
