#include "platform/AsciiCase.h"

#include <cstdint>

namespace {
char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string asciiLower(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = lower(c);
    return folded;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

size_t AsciiCaseHash::operator()(std::string_view text) const {
    // FNV-1a over the folded bytes.
    uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<uint8_t>(lower(c));
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
}
