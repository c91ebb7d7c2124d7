#pragma once
// SHA-256 (FIPS 180-4) of bytes and of files, for the checksums that tie an
// export to its source clips and a repaired copy to its original. No
// library: the core stays free of one for the sake of a hundred lines; the
// processor's SHA instructions are used where it has them.
//
// Threads: an object belongs to one thread; the functions are pure.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
public:
    Sha256();
    void update(const void* data, size_t size);
    void update(std::string_view text) { update(text.data(), text.size()); }
    // The digest as 64 lower-case hexadecimal digits; the object is spent.
    std::string hex();

    // The digest of a regular file; false with reason set when it cannot be
    // read (or stop was set meanwhile).
    static bool ofFile(const std::string& path, std::string& hex, std::string& reason,
                       const std::atomic<bool>* stop = nullptr);
    // The same of a file of a folder held open, never through a link.
    static bool ofFileAt(int folderFd, const std::string& name, std::string& hex, std::string& reason);

private:
    void block(const uint8_t* p);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> buffer_{};
    size_t buffered_ = 0;
    uint64_t length_ = 0;  // bytes
};
