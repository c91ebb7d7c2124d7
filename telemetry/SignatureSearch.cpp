#include "telemetry/SignatureSearch.h"

#include <string.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

const unsigned char* slowFind(const unsigned char* from, const unsigned char* end, const char* signature) {
    if (end - from < static_cast<std::ptrdiff_t>(SignatureSearch::kSize)) return nullptr;
    return static_cast<const unsigned char*>(
        memmem(from, static_cast<size_t>(end - from), signature, SignatureSearch::kSize));
}

#if defined(__x86_64__)

constexpr std::ptrdiff_t kStep = 64;
constexpr std::ptrdiff_t kLast = SignatureSearch::kSize - 1;

// Positions whose first and last bytes match are checked whole within the
// step (plus the signature's length, so one across the step's end is found).
const unsigned char* findSse2(const unsigned char* p, const unsigned char* end, const char* signature) {
    const __m128i first = _mm_set1_epi8(signature[0]), last = _mm_set1_epi8(signature[kLast]);
    const auto at = [&](std::ptrdiff_t i) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + kLast));
        return _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last));
    };
    for (; end - p >= kStep + kLast; p += kStep) {
        const __m128i any = _mm_or_si128(_mm_or_si128(at(0), at(16)), _mm_or_si128(at(32), at(48)));
        if (_mm_movemask_epi8(any) == 0) continue;
        if (const unsigned char* found = slowFind(p, p + kStep + kLast, signature)) return found;
    }
    return slowFind(p, end, signature);
}

__attribute__((target("avx2"))) inline __m256i pairAt(const unsigned char* p, __m256i first, __m256i last) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + kLast));
    return _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last));
}

__attribute__((target("avx2"))) const unsigned char* findAvx2(const unsigned char* p, const unsigned char* end,
                                                              const char* signature) {
    const __m256i first = _mm256_set1_epi8(signature[0]), last = _mm256_set1_epi8(signature[kLast]);
    for (; end - p >= kStep + kLast; p += kStep) {
        const __m256i any = _mm256_or_si256(pairAt(p, first, last), pairAt(p + 32, first, last));
        if (_mm256_testz_si256(any, any)) continue;
        if (const unsigned char* found = slowFind(p, p + kStep + kLast, signature)) return found;
    }
    return slowFind(p, end, signature);
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");

#endif

}  // namespace

const unsigned char* SignatureSearch::find(const unsigned char* from, const unsigned char* end, const char* signature) {
#if defined(__x86_64__)
    return kHasAvx2 ? findAvx2(from, end, signature) : findSse2(from, end, signature);
#else
    return slowFind(from, end, signature);
#endif
}
