#pragma once
// A receiver of window messages (number, wParam, lParam) that core components
// use without knowing the UI toolkit. The main window implements it on Qt;
// tests use RecordingMessageTarget.
//
// Threads: postMessage may be called from any thread and never blocks.
// sendMessage may be called from any thread; from a worker it blocks until the
// receiver's thread has handled the message and returns its result.
#include <cstdint>

namespace platform {

struct WindowMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class MessageTarget {
public:
    virtual ~MessageTarget();
    virtual void postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    virtual intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

// Message numbers shared by the core and the main window.
constexpr uint32_t WM_USER = 0x0400;
constexpr uint32_t WM_PLAYER_EVENT = WM_USER + 1;
constexpr uint32_t WM_TRACK_EVENT = WM_USER + 2;
constexpr uint32_t WM_TRACK_LIVE = WM_USER + 3;

}  // namespace platform
