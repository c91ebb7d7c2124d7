#include "trackindex/CueText.h"

#include <algorithm>
#include <array>

namespace {

// printf's "%02d" (and "%03d" with width 3) of a C int, without printf:
// a clip has tens of thousands of cues. Written into a buffer of at least
// 24 bytes; returns the end.
char* putNumber(char* out, int64_t value, int width) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    uint64_t v = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    const int used = n + (negative ? 1 : 0);
    if (negative) *out++ = '-';
    for (int pad = used; pad < width; ++pad) *out++ = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

// Two digits of 0..99.
char* putTwo(char* out, int64_t v) {
    *out++ = static_cast<char>('0' + v / 10);
    *out++ = static_cast<char>('0' + v % 10);
    return out;
}

char* putClock(char* out, int64_t ms) {
    // The common case, under 100 hours, without the general number's loops.
    if (ms >= 0 && ms < 100 * 3600000) {
        const int64_t seconds = ms / 1000, milli = ms % 1000;
        out = putTwo(out, seconds / 3600);
        *out++ = ':';
        out = putTwo(out, seconds / 60 % 60);
        *out++ = ':';
        out = putTwo(out, seconds % 60);
        *out++ = ',';
        *out++ = static_cast<char>('0' + milli / 100);
        return putTwo(out, milli % 100);
    }
    out = putNumber(out, static_cast<int>(ms / 3600000), 2);
    *out++ = ':';
    out = putNumber(out, static_cast<int>(ms / 60000) % 60, 2);
    *out++ = ':';
    out = putNumber(out, static_cast<int>(ms / 1000) % 60, 2);
    *out++ = ',';
    return putNumber(out, static_cast<int>(ms % 1000), 3);
}

// The bytes a plain text may hold: printable ASCII but the markup characters.
constexpr auto kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c <= 0x7E; ++c) plain[c] = c != '{' && c != '}' && c != '\\' && c != '<' && c != '>';
    return plain;
}();

}  // namespace

void CueText::frame(uint64_t number, int64_t s, int64_t e, const uint8_t* text, size_t length, std::string& out) {
    // The header whole in a buffer (at most 24 + 2 * 4 * 24 + 6 bytes), then one copy.
    char header[256];
    char* end = putNumber(header, static_cast<int64_t>(number), 1);
    *end++ = '\n';
    end = putClock(end, s);
    end = std::copy_n(" --> ", 5, end);
    end = putClock(end, e);
    *end++ = '\n';
    out.assign(header, std::min(static_cast<size_t>(end - header), TEXT_LIMIT));
    if (out.size() < TEXT_LIMIT)
        out.append(reinterpret_cast<const char*>(text), std::min(length, TEXT_LIMIT - out.size()));
    if (out.size() < TEXT_LIMIT) out.append("\n\n", std::min<size_t>(2, TEXT_LIMIT - out.size()));
    // A slot skips leading zero bytes and ends at the next one.
    if (out.find('\0') == std::string::npos) return;
    const size_t first = out.find_first_not_of('\0');
    if (first == std::string::npos) {
        out.clear();
        return;
    }
    out.erase(0, first);
    const size_t zero = out.find('\0');
    if (zero != std::string::npos) out.resize(zero);
}

bool CueText::plain(const uint8_t* text, size_t length) {
    if (length == 0 || text[0] == ' ' || text[length - 1] == ' ') return false;
    bool all = true;
    // No early exit: a text is short, and a loop without one is vectorised.
    for (size_t i = 0; i < length; ++i) all &= kPlainBytes[text[i]];
    return all;
}
