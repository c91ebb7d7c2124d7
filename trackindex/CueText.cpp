#include "trackindex/CueText.h"

#include <algorithm>

namespace {

// printf's "%02d" (and "%03d" with width 3) of a C int, without printf:
// a clip has tens of thousands of cues.
void appendNumber(std::string& out, int64_t value, int width) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    uint64_t v = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    const int used = n + (negative ? 1 : 0);
    if (negative) out += '-';
    for (int pad = used; pad < width; ++pad) out += '0';
    while (n > 0) out += digits[--n];
}

void appendClock(std::string& out, int64_t ms) {
    appendNumber(out, static_cast<int>(ms / 3600000), 2);
    out += ':';
    appendNumber(out, static_cast<int>(ms / 60000) % 60, 2);
    out += ':';
    appendNumber(out, static_cast<int>(ms / 1000) % 60, 2);
    out += ',';
    appendNumber(out, static_cast<int>(ms % 1000), 3);
}

}  // namespace

void CueText::frame(uint64_t number, int64_t s, int64_t e, const uint8_t* text, size_t length, std::string& out) {
    out.clear();
    out.reserve(TEXT_LIMIT);
    appendNumber(out, static_cast<int64_t>(number), 1);
    out += '\n';
    appendClock(out, s);
    out += " --> ";
    appendClock(out, e);
    out += '\n';
    if (out.size() < TEXT_LIMIT)
        out.append(reinterpret_cast<const char*>(text), std::min(length, TEXT_LIMIT - out.size()));
    if (out.size() < TEXT_LIMIT) out.append("\n\n", std::min<size_t>(2, TEXT_LIMIT - out.size()));
    out.resize(std::min(out.size(), TEXT_LIMIT));
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
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = text[i];
        if (c < 0x20 || c > 0x7E || c == '{' || c == '}' || c == '\\' || c == '<' || c == '>') return false;
    }
    return true;
}
