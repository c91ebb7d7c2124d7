#include "platform/Sha256.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>
#define VELTARA_SHA_EXTENSIONS 1
#endif

namespace {

constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

uint32_t rotr(uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

#ifdef VELTARA_SHA_EXTENSIONS
// The processor's SHA instructions take the digest of the clips (hundreds of
// megabytes an export or a repair) about ten times as fast as the plain
// rounds; used when the processor has them.
bool hasShaExtensions() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0 || (c & bit_SSE4_1) == 0 || (c & bit_SSSE3) == 0) return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) != 0 && (b & bit_SHA) != 0;
}

// The state is kept as the instructions want it: ABEF and CDGH.
__attribute__((target("sha,sse4.1,ssse3"))) void shaExtensionBlocks(uint32_t* state, const uint8_t* p,
                                                                      size_t blocks) {
    const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i t = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);  // CDAB
    __m128i s1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);  // EFGH
    __m128i s0 = _mm_alignr_epi8(t, s1, 8);  // ABEF
    s1 = _mm_blend_epi16(s1, t, 0xF0);       // CDGH
    for (; blocks > 0; --blocks, p += 64) {
        const __m128i abef = s0, cdgh = s1;
        __m128i w[4];
        for (int i = 0; i < 4; ++i)
            w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), swap);
#pragma GCC unroll 16
        for (int j = 0; j < 16; ++j) {
            // Words 4j to 4j+3 of the schedule, from the four groups before.
            if (j >= 4)
                w[j % 4] = _mm_sha256msg2_epu32(
                    _mm_add_epi32(_mm_sha256msg1_epu32(w[j % 4], w[(j + 1) % 4]),
                                  _mm_alignr_epi8(w[(j + 3) % 4], w[(j + 2) % 4], 4)),
                    w[(j + 3) % 4]);
            __m128i m = _mm_add_epi32(w[j % 4], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * j)));
            s1 = _mm_sha256rnds2_epu32(s1, s0, m);
            m = _mm_shuffle_epi32(m, 0x0E);
            s0 = _mm_sha256rnds2_epu32(s0, s1, m);
        }
        s0 = _mm_add_epi32(s0, abef);
        s1 = _mm_add_epi32(s1, cdgh);
    }
    t = _mm_shuffle_epi32(s0, 0x1B);   // FEBA
    s1 = _mm_shuffle_epi32(s1, 0xB1);  // DCHG
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(t, s1, 0xF0));      // DCBA
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(s1, t, 8));  // HGFE
}

const bool kShaExtensions = hasShaExtensions();
#endif

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::block(const uint8_t* p) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t(p[4 * i]) << 24 | uint32_t(p[4 * i + 1]) << 16 | uint32_t(p[4 * i + 2]) << 8 | p[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t t1 = h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::update(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    length_ += size;
    if (buffered_ > 0) {
        const size_t take = std::min(size, buffer_.size() - buffered_);
        std::memcpy(buffer_.data() + buffered_, p, take);
        buffered_ += take;
        p += take;
        size -= take;
        if (buffered_ < buffer_.size()) return;
        block(buffer_.data());
        buffered_ = 0;
    }
#ifdef VELTARA_SHA_EXTENSIONS
    if (kShaExtensions && size >= 64) {
        shaExtensionBlocks(state_.data(), p, size / 64);
        p += size / 64 * 64;
        size %= 64;
    }
#endif
    for (; size >= 64; p += 64, size -= 64) block(p);
    std::memcpy(buffer_.data(), p, size);
    buffered_ = size;
}

std::string Sha256::hex() {
    const uint64_t bits = length_ * 8;
    const uint8_t one = 0x80;
    update(&one, 1);
    const uint8_t zero = 0;
    while (buffered_ != 56) update(&zero, 1);
    uint8_t tail[8];
    for (int i = 0; i < 8; ++i) tail[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    update(tail, 8);
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (uint32_t word : state_)
        for (int shift = 28; shift >= 0; shift -= 4) out += digits[(word >> shift) & 0xf];
    return out;
}

namespace {

bool digestOf(int folderFd, const std::string& path, int flags, std::string& hex, std::string& reason,
              const std::atomic<bool>* stop) {
    const int fd = ::openat(folderFd, path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | flags);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        reason = "is not a regular file";
        return false;
    }
    Sha256 sum;
    // Small enough to stay in the processor's cache between the kernel's
    // copy and the hashing: a buffer of a megabyte made the copy cost five
    // times as much.
    std::vector<char> buffer(128 << 10);
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
        if (stop != nullptr && stop->load()) {
            ::close(fd);
            reason = "stopped";
            return false;
        }
        sum.update(buffer.data(), static_cast<size_t>(n));
    }
    const int error = errno;
    ::close(fd);
    if (n < 0) {
        reason = std::strerror(error);
        return false;
    }
    hex = sum.hex();
    return true;
}

}  // namespace

bool Sha256::ofFile(const std::string& path, std::string& hex, std::string& reason, const std::atomic<bool>* stop) {
    return digestOf(AT_FDCWD, path, 0, hex, reason, stop);
}

bool Sha256::ofFileAt(int folderFd, const std::string& name, std::string& hex, std::string& reason) {
    return digestOf(folderFd, name, O_NOFOLLOW, hex, reason, nullptr);
}
