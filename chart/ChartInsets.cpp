#include "chart/ChartInsets.h"

#include <climits>
#include <cstddef>

namespace {

// Reads one number at text[pos] like strtol; pos moves to the character
// after it, or stays when no number starts there.
int readNumber(std::string_view text, size_t& pos) {
    size_t p = pos;
    while (p < text.size() && (text[p] == ' ' || (text[p] >= '\t' && text[p] <= '\r'))) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (p >= text.size() || text[p] < '0' || text[p] > '9') return 0;
    long long value = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p) {
        if (value <= INT_MAX) value = value * 10 + (text[p] - '0');
    }
    pos = p;
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

ChartInsets ChartInsets::parse(std::string_view text) {
    ChartInsets insets;
    int* const fields[] = {&insets.left, &insets.top, &insets.right, &insets.bottom};
    size_t pos = 0;
    for (size_t i = 0; i < 4; ++i) {
        // The separator after the previous number is skipped; at the end of
        // the text the remaining numbers stay 0 rather than reading past it.
        if (i > 0 && ++pos > text.size()) break;
        *fields[i] = readNumber(text, pos);
    }
    return insets;
}
