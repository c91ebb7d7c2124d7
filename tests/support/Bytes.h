#pragma once
// Appends numbers in either byte order and builds ISO boxes, for the writers
// of test clips. Plain functions; any thread.
#include <cstdint>
#include <cstring>
#include <string>

namespace testing_support::bytes {

inline void be(std::string& s, uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
inline void le(std::string& s, uint64_t v, int n) {
    for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}
inline void u8(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xff));
}
inline void u16be(std::string& s, uint32_t v) {
    be(s, v, 2);
}
inline void u32be(std::string& s, uint64_t v) {
    be(s, v, 4);
}
inline void u64be(std::string& s, uint64_t v) {
    be(s, v, 8);
}
inline void u16le(std::string& s, uint32_t v) {
    le(s, v, 2);
}
inline void u32le(std::string& s, uint64_t v) {
    le(s, v, 4);
}
inline void i32le(std::string& s, int32_t v) {
    le(s, static_cast<uint32_t>(v), 4);
}
inline void i32be(std::string& s, int32_t v) {
    be(s, static_cast<uint32_t>(v), 4);
}
inline void f32le(std::string& s, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    le(s, bits, 4);
}
inline void f64le(std::string& s, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    le(s, bits, 8);
}

// Overwrites 4 bytes at `at` with a big-endian number.
inline void putU32be(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * (3 - i))) & 0xff);
}
inline uint32_t getU32be(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint8_t>(s[at + i]);
    return v;
}
inline uint64_t getU64be(const std::string& s, size_t at) {
    return (uint64_t(getU32be(s, at)) << 32) | getU32be(s, at + 4);
}

inline std::string box(const char* type, const std::string& payload) {
    std::string b;
    u32be(b, 8 + payload.size());
    b.append(type, 4);
    return b + payload;
}
inline std::string fullBox(const char* type, uint8_t version, uint32_t flags, const std::string& payload) {
    std::string head;
    be(head, (uint32_t(version) << 24) | (flags & 0xffffff), 4);
    return box(type, head + payload);
}

}  // namespace testing_support::bytes
