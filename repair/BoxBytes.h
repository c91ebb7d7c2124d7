#pragma once
// Writing ISO media boxes: big-endian integers appended to a byte string, and
// a box around a payload. Pure functions; any thread.
#include <cstdint>
#include <string>
#include <string_view>

namespace boxBytes {

inline void u16(std::string& b, uint32_t v) {
    b += static_cast<char>((v >> 8) & 0xFF);
    b += static_cast<char>(v & 0xFF);
}

inline void u32(std::string& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((v >> shift) & 0xFF);
}

inline void u64(std::string& b, uint64_t v) {
    u32(b, static_cast<uint32_t>(v >> 32));
    u32(b, static_cast<uint32_t>(v));
}

// Overwrites four bytes at `at` (the caller has checked they are there).
inline void put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}

inline void put64(std::string& b, size_t at, uint64_t v) {
    put32(b, at, static_cast<uint32_t>(v >> 32));
    put32(b, at + 4, static_cast<uint32_t>(v));
}

inline std::string box(std::string_view type, std::string_view payload) {
    std::string b;
    b.reserve(payload.size() + 8);
    u32(b, static_cast<uint32_t>(payload.size() + 8));
    b.append(type.data(), 4);
    b.append(payload);
    return b;
}

// A full box: version and flags in front of the payload.
inline std::string fullBox(std::string_view type, uint8_t version, uint32_t flags, std::string_view payload) {
    std::string p;
    u32(p, (uint32_t(version) << 24) | (flags & 0xFFFFFF));
    p.append(payload);
    return box(type, p);
}

}  // namespace boxBytes
