#pragma once
// Big-endian integers of a box's bytes, as MP4 stores them. The caller has
// checked that the bytes are there. Pure functions; any thread.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bigEndian {

inline uint16_t u16(const unsigned char* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

inline int16_t s16(const unsigned char* p) {
    return static_cast<int16_t>(u16(p));
}

inline uint32_t u32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline uint64_t u64(const unsigned char* p) {
    return (uint64_t(u32(p)) << 32) | u32(p + 4);
}

// The same at an offset into bytes held in a string.
inline uint16_t u16(std::string_view b, size_t at) {
    return u16(reinterpret_cast<const unsigned char*>(b.data()) + at);
}
inline uint32_t u32(std::string_view b, size_t at) {
    return u32(reinterpret_cast<const unsigned char*>(b.data()) + at);
}
inline uint64_t u64(std::string_view b, size_t at) {
    return u64(reinterpret_cast<const unsigned char*>(b.data()) + at);
}

}  // namespace bigEndian
