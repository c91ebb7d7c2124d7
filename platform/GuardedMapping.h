#pragma once
// A read-only mapping of a file whose bytes are copied out through copy(),
// which fails, rather than crashing the program, when the file has shrunk
// beneath the mapping (another program truncating a clip while it is read:
// the kernel answers a touch of the lost pages with SIGBUS).
//
// How: the first map() of the process installs one SIGBUS handler (kept for
// the program's life; the handler it replaces is called for every fault that
// is not ours). copy() registers the mapped range for its own thread only
// (thread_local) for the length of one memcpy; a fault inside that range
// jumps back into copy(), which reports false. Faults elsewhere, or on
// another thread, go on to the previous handler or the default action.
//
// Threads: one object is used by one thread at a time; separate objects on
// separate threads, at once, are fine. map() once; the mapping lives until
// the object goes. A handler installed by others after the first map() must
// call on to ours (as ours calls on to theirs) for the guard to hold. Under
// the thread checker, which holds such signals back, map() always fails and
// callers read the file instead.
#include <cstddef>
#include <cstdint>

namespace platform {

class GuardedMapping {
public:
    GuardedMapping() = default;
    ~GuardedMapping();
    GuardedMapping(const GuardedMapping&) = delete;
    GuardedMapping& operator=(const GuardedMapping&) = delete;

    // Maps the first `size` bytes of fd (opened for reading); false when the
    // file cannot be mapped (empty, too large for the address space, a kind
    // of file without mappings): the caller reads it the ordinary way.
    bool map(int fd, uint64_t size);
    bool mapped() const { return data_ != nullptr; }
    uint64_t size() const { return size_; }

    // n bytes at offset into out; false when they lie past the mapped size or
    // the file no longer holds them.
    bool copy(uint64_t offset, size_t n, void* out) const;

private:
    const unsigned char* data_ = nullptr;
    uint64_t size_ = 0;
};

}  // namespace platform
