#include "trackfile/FixedDecimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kMostDecimals = 9;
constexpr double kPowers[kMostDecimals + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// "00" to "99": two digits per division halves the chain of divisions a
// number's digits wait on.
constexpr auto kPairs = [] {
    struct {
        char text[200];
    } pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs.text[2 * i] = static_cast<char>('0' + i / 10);
        pairs.text[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// magnitude * 10^decimals rounded to a whole number as the exact product
// would round, half to even. Below 2^52 the rounded product's distance to
// one half is a whole number of its units, so only an exact half needs the
// product's own error (fma) to decide.
uint64_t scaledUnits(double magnitude, int decimals) {
    const double scale = kPowers[decimals];
    const double product = magnitude * scale;
    const auto units = static_cast<uint64_t>(product);
    const double overHalf = (product - static_cast<double>(units)) - 0.5;
    if (overHalf == 0) [[unlikely]] {
        const double error = std::fma(magnitude, scale, -product);
        return units + (error > 0 || (error == 0 && (units & 1) != 0) ? 1 : 0);
    }
    return units + (overHalf > 0 ? 1 : 0);
}

// The last `count` digits of v, ending at end.
template <int Count>
void digitsBefore(char* end, uint64_t v) {
    for (int left = Count; left >= 2; left -= 2) {
        end -= 2;
        std::memcpy(end, kPairs.text + 2 * (v % 100), 2);
        v /= 100;
    }
    if constexpr (Count % 2 == 1) end[-1] = static_cast<char>('0' + v % 10);
}

// The digits of units with Decimals of them after the point; a constant
// divisor is a multiplication, where a divisor looked up is a division.
template <int Decimals>
char* writeUnits(char* first, char* last, bool negative, uint64_t units) {
    constexpr uint64_t kScale = [] {
        uint64_t s = 1;
        for (int d = 0; d < Decimals; ++d) s *= 10;
        return s;
    }();
    char whole[24];
    char* const wholeEnd = whole + sizeof whole;
    char* wholeStart = wholeEnd;
    uint64_t v = units / kScale;
    for (; v >= 100; v /= 100) {
        wholeStart -= 2;
        std::memcpy(wholeStart, kPairs.text + 2 * (v % 100), 2);
    }
    if (v >= 10) {
        wholeStart -= 2;
        std::memcpy(wholeStart, kPairs.text + 2 * v, 2);
    } else {
        *--wholeStart = static_cast<char>('0' + v);
    }
    const auto n = wholeEnd - wholeStart;
    if (last - first < (negative ? 1 : 0) + n + (Decimals > 0 ? 1 + Decimals : 0)) return nullptr;
    char* out = first;
    if (negative) *out++ = '-';
    out = std::copy(wholeStart, wholeEnd, out);
    if constexpr (Decimals > 0) {
        *out++ = '.';
        digitsBefore<Decimals>(out + Decimals, units % kScale);
    }
    return out + Decimals;
}

}  // namespace

char* writeFixedDecimal(char* first, char* last, double value, int decimals) {
    const double magnitude = std::fabs(value);
    if (decimals < 0 || decimals > kMostDecimals || !(magnitude * kPowers[decimals] < 0x1p52)) {
        const auto [end, ec] = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
        return ec == std::errc() ? end : nullptr;
    }
    const uint64_t units = scaledUnits(magnitude, decimals);
    const bool negative = std::signbit(value);
    switch (decimals) {
        case 0:
            return writeUnits<0>(first, last, negative, units);
        case 1:
            return writeUnits<1>(first, last, negative, units);
        case 2:
            return writeUnits<2>(first, last, negative, units);
        case 3:
            return writeUnits<3>(first, last, negative, units);
        case 4:
            return writeUnits<4>(first, last, negative, units);
        case 5:
            return writeUnits<5>(first, last, negative, units);
        case 6:
            return writeUnits<6>(first, last, negative, units);
        case 7:
            return writeUnits<7>(first, last, negative, units);
        case 8:
            return writeUnits<8>(first, last, negative, units);
        default:
            return writeUnits<9>(first, last, negative, units);
    }
}
