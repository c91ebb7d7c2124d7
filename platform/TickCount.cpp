#include "platform/TickCount.h"

#include <chrono>

namespace platform {

uint32_t tickCount() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

}  // namespace platform
