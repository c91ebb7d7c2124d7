#pragma once
// The video and sound outputs the settings window offers: the player's
// "-vo" or "-ao" value, the language key of the name the list shows, and an
// English name for language files without that key, in list order. The row
// index is how a choice in the list maps back to its value. Stored values
// of older versions ("gl:yuv=3:force-pbo", "directx:noaccel") open on the
// row of their output and are kept unless another row is chosen.
//
// Threads: any; the tables are constant.
#include <span>
#include <string_view>

struct OutputRow {
    std::string_view value;
    std::string_view textKey;
    std::string_view fallbackName;
};

class OutputTable {
public:
    // The sound output that takes a sound card.
    static constexpr std::string_view kDirectSound = "dsound";

    static std::span<const OutputRow> video();
    static std::span<const OutputRow> sound();

    // The row of the output that value selects, as the player engine reads
    // it (driver name before the first ':' or ',', any case), or -1.
    static int indexOf(std::span<const OutputRow> rows, std::string_view value);
    // The row at index, or nullptr outside the table (no selection is -1).
    static const OutputRow* at(std::span<const OutputRow> rows, int index);
    // Whether value names DirectSound output, ignoring case.
    static bool isDirectSound(std::string_view value);
};
