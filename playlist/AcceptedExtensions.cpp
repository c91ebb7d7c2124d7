#include "playlist/AcceptedExtensions.h"

#include "config/ConfigStore.h"
#include "platform/AsciiCase.h"

#include <algorithm>

void AcceptedExtensions::Load(const ConfigStore& store) {
    std::string value = store.ReadConfigString("", kKey);
    if (value.empty()) {
        value = kDefaultValue;
        store.WriteConfigString(value, kKey);
    }
    Parse(value);
}

void AcceptedExtensions::Parse(std::string_view value) {
    items_.clear();
    while (!value.empty()) {
        const size_t end = value.find(';');
        const std::string_view piece = value.substr(0, end);
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
        if (piece.empty()) continue;
        const bool known = std::any_of(kMediaExtensions.begin(), kMediaExtensions.end(),
                                       [&](std::string_view media) { return equalsIgnoringAsciiCase(piece, media); });
        if (known) items_.emplace_back(piece);
    }
}

bool AcceptedExtensions::IsAccepted(std::string_view extension) const {
    if (extension.empty()) return false;
    return std::any_of(items_.begin(), items_.end(),
                       [&](const std::string& item) { return equalsIgnoringAsciiCase(extension, item); });
}

bool AcceptedExtensions::IsMediaFileName(std::string_view name) const {
    if (name.find('.') == std::string_view::npos) return false;
    return IsAccepted(ExtensionOf(name));
}

std::string_view AcceptedExtensions::ExtensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}
