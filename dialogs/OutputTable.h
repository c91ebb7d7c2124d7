#pragma once
// The video and sound outputs the settings window offers: the player's
// "-vo" or "-ao" value and the name the list shows, in list order. The row
// index is how a choice in the list maps back to its value. Several video
// rows share one value, so which of them was picked is not remembered.
// Display names begin with one blank.
//
// Threads: any; the tables are constant.
#include <span>
#include <string_view>

struct OutputRow {
    std::string_view value;
    std::string_view displayName;
};

class OutputTable {
public:
    // The sound output that takes a sound card.
    static constexpr std::string_view kDirectSound = "dsound";

    // Russian names while the language file is exactly "russian.ini",
    // English names for every other language.
    static std::span<const OutputRow> video(std::string_view languageFile);
    static std::span<const OutputRow> sound(std::string_view languageFile);

    // The first row whose value equals value exactly, or -1.
    static int indexOf(std::span<const OutputRow> rows, std::string_view value);
    // The row at index, or nullptr outside the table (no selection is -1).
    static const OutputRow* at(std::span<const OutputRow> rows, int index);
    // Whether value names DirectSound output, ignoring case.
    static bool isDirectSound(std::string_view value);
};
