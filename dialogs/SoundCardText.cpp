#include "dialogs/SoundCardText.h"

std::string SoundCardText::tidy(std::string_view description) {
    std::string text = " ";
    bool pendingBlank = false;
    for (const char c : description) {
        if (c == ' ') {
            pendingBlank = text.size() > 1;  // blanks before the first word go
            continue;
        }
        if (pendingBlank) text.push_back(' ');
        pendingBlank = false;
        text.push_back(c);
    }
    return text;
}

std::string SoundCardText::itemText(std::string_view description, size_t deviceNumber) {
    std::string text = tidy(description);
    if (text.size() == 1) text += "#" + std::to_string(deviceNumber);
    return text;
}
