#include "config/LanguageTable.h"

#include <array>

namespace {
constexpr std::array<LanguageRow, 7> kRows{{
    {"polish.ini", " Polski"},
    {"russian.ini", " Русский"},
    {"english.ini", " English"},
    {"french.ini", " Français"},
    {"german.ini", " Deutsch"},
    {"portuguese.ini", " Português"},
    {"spanish.ini", " Español"},
}};
}  // namespace

std::span<const LanguageRow> LanguageTable::rows() {
    return kRows;
}

int LanguageTable::indexOf(std::string_view fileName) {
    for (size_t i = 0; i < kRows.size(); ++i) {
        if (kRows[i].fileName == fileName) return static_cast<int>(i);
    }
    return -1;
}
