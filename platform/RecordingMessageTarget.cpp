#include "platform/RecordingMessageTarget.h"

#include <algorithm>

namespace platform {

void RecordingMessageTarget::record(const WindowMessage& m) {
    {
        std::lock_guard lock(mutex_);
        messages_.push_back(m);
    }
    arrived_.notify_all();
}

void RecordingMessageTarget::postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    record({message, wParam, lParam});
}

intptr_t RecordingMessageTarget::sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const WindowMessage m{message, wParam, lParam};
    std::function<intptr_t(const WindowMessage&)> hook;
    {
        std::lock_guard lock(mutex_);
        hook = sendHook_;
    }
    // The hook runs before the message is recorded, so a waiter that sees
    // the message knows the hook has finished with it.
    const intptr_t result = hook ? hook(m) : 0;
    record(m);
    return result;
}

void RecordingMessageTarget::setSendHook(std::function<intptr_t(const WindowMessage&)> hook) {
    std::lock_guard lock(mutex_);
    sendHook_ = std::move(hook);
}

std::vector<WindowMessage> RecordingMessageTarget::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<WindowMessage> RecordingMessageTarget::messagesOf(uint32_t message) const {
    std::lock_guard lock(mutex_);
    std::vector<WindowMessage> out;
    for (const auto& m : messages_)
        if (m.message == message) out.push_back(m);
    return out;
}

size_t RecordingMessageTarget::countOf(uint32_t message, uintptr_t wParam) const {
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count_if(messages_.begin(), messages_.end(), [&](const WindowMessage& m) {
        return m.message == message && m.wParam == wParam;
    }));
}

void RecordingMessageTarget::clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

bool RecordingMessageTarget::waitFor(uint32_t message, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] {
        return std::any_of(messages_.begin(), messages_.end(),
                           [&](const WindowMessage& m) { return m.message == message; });
    });
}

bool RecordingMessageTarget::waitFor(uint32_t message, uintptr_t wParam, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] {
        return std::any_of(messages_.begin(), messages_.end(),
                           [&](const WindowMessage& m) { return m.message == message && m.wParam == wParam; });
    });
}

}  // namespace platform
