#pragma once
// Milliseconds of a steady clock as a 32-bit count that wraps, like the tick
// count the program's time checks are written for.
#include <cstdint>

namespace platform {

uint32_t tickCount();
// Milliseconds from `earlier` to `later`, correct across one wrap.
inline uint32_t ticksBetween(uint32_t earlier, uint32_t later) { return later - earlier; }

}  // namespace platform
