#pragma once
// The order of file names in the playlist: by UTF-16 code unit value, the
// order a wide-string compare in the "C" locale gives (upper-case before
// lower-case, "10.mp4" before "9.mp4", characters beyond U+FFFF before
// U+E000..U+FFFF). Names are UTF-8; they are compared where they stand,
// without converting them. Bytes that are not UTF-8 count as U+FFFD, so any
// name has a place and the order stays a strict weak order.
//
// Threads: any (pure functions).
#include <string_view>

struct Utf16NameOrder {
    // < 0, 0 or > 0 as a is before, equal to or after b.
    static int compare(std::string_view a, std::string_view b);

    bool operator()(std::string_view a, std::string_view b) const { return compare(a, b) < 0; }
};
