#pragma once
// Finds an 8-byte signature in a buffer at the speed of reading the buffer:
// a vector compare of the signature's first and last bytes at every position
// narrows the candidates to about one in 65,536 random positions, which are
// then compared whole. AVX2 when the processor has it, SSE2 on any other
// x86-64, memmem elsewhere. What the search for Novatek blocks in media data
// of hundreds of megabytes spends its time on.
// Plain functions; any thread.
#include <cstddef>

class SignatureSearch {
public:
    static constexpr size_t kSize = 8;

    // The first whole signature in [from, end), or null.
    static const unsigned char* find(const unsigned char* from, const unsigned char* end, const char* signature);
};
