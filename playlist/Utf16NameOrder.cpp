#include "playlist/Utf16NameOrder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the code point at text[pos] and moves pos past it. A byte that does
// not start a well-formed sequence (overlong, surrogate, beyond U+10FFFF,
// cut short) is one U+FFFD.
char32_t decode(std::string_view text, size_t& pos) {
    const auto byteAt = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byteAt(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    for (size_t i = 1; i < length; ++i) {
        const uint8_t next = byteAt(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return cp;
}

// A key whose order between two different code points is the order of their
// first differing UTF-16 code units: a character beyond U+FFFF starts with a
// surrogate (0xD800..0xDBFF), which is above everything below U+D800 and
// below U+E000..U+FFFF. Between two such characters the order is that of the
// code points.
uint32_t unitOrderKey(char32_t cp) {
    if (cp < 0xD800) return cp;
    if (cp >= 0x10000) return 0xD800 + (cp - 0x10000);  // up to 0x10D7FF
    return 0x100000 + cp;                               // U+E000..U+FFFF: 0x10E000..
}

// Decodes from the same position in both texts until they differ.
int compareFrom(std::string_view a, std::string_view b, size_t start) {
    size_t i = start;
    size_t j = start;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<uint8_t>(a[i]);
        const auto cb = static_cast<uint8_t>(b[j]);
        if (ca < 0x80 && cb < 0x80) {
            if (ca != cb) return ca < cb ? -1 : 1;
            ++i, ++j;
            continue;
        }
        const uint32_t ka = unitOrderKey(decode(a, i));
        const uint32_t kb = unitOrderKey(decode(b, j));
        if (ka != kb) return ka < kb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

int Utf16NameOrder::compare(std::string_view a, std::string_view b) {
    // The first differing byte, eight at a time: names of one camera share
    // long beginnings.
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) break;
    }
    while (i < n && a[i] == b[i]) ++i;
    if (i == n && a.size() == b.size()) return 0;
    // Two ASCII bytes are each a character of their own, whatever came before.
    if (i < n && static_cast<uint8_t>(a[i]) < 0x80 && static_cast<uint8_t>(b[i]) < 0x80)
        return static_cast<uint8_t>(a[i]) < static_cast<uint8_t>(b[i]) ? -1 : 1;
    // Otherwise decode from the last character boundary of the common start:
    // an ASCII byte always ends whatever came before it.
    while (i > 0 && static_cast<uint8_t>(a[i - 1]) >= 0x80) --i;
    return compareFrom(a, b, i);
}
