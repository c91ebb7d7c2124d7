#pragma once
// Writes a repaired copy: a head (ftyp and the media data's header), a
// stretch of the cut clip copied as it is, and the new index. The index is
// asked for once the stretch is copied, so what it waits for (the
// checksums of the provenance) is taken while the copy runs. Everything goes
// to a temporary file in the destination folder that is renamed into place
// only when every write and the close succeeded, so a read-only folder, a full disk or a stop leaves nothing
// behind.
//
// Threads: one call at a time per destination; the stop flag may be set from
// any thread (the copy checks it between pieces).
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace repairedFile {

// tail: fills in the index, or says why there is none (nothing is written then).
using Tail = std::function<bool(std::string& tail, std::string& reason)>;

bool write(const std::string& destination, const std::string& head, const std::string& source, uint64_t from,
           uint64_t length, const Tail& tail, const std::atomic<bool>* stop, std::string& reason);

}  // namespace repairedFile
