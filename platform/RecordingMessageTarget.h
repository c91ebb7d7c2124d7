#pragma once
// A MessageTarget that records every message, for tests. sendMessage answers
// with a value the test chooses and may run a hook on the sending thread, so a
// test can read state while the sender is blocked, as the main window does.
//
// Threads: any thread may post, send and read; the record is under a lock.
#include "platform/MessageTarget.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace platform {

class RecordingMessageTarget : public MessageTarget {
public:
    void postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    void setSendHook(std::function<intptr_t(const WindowMessage&)> hook);

    std::vector<WindowMessage> messages() const;
    std::vector<WindowMessage> messagesOf(uint32_t message) const;
    size_t countOf(uint32_t message, uintptr_t wParam) const;
    void clear();

    // Waits until a message with this number (and wParam, when given) has
    // arrived; false on time-out.
    bool waitFor(uint32_t message, std::chrono::milliseconds timeout) const;
    bool waitFor(uint32_t message, uintptr_t wParam, std::chrono::milliseconds timeout) const;

private:
    void record(const WindowMessage& m);

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<WindowMessage> messages_;
    std::function<intptr_t(const WindowMessage&)> sendHook_;
};

}  // namespace platform
