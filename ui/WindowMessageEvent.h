#pragma once
// A window message on its way to the UI thread. A sent message carries the
// sender's PendingSend; whatever happens to the event, the sender is woken:
// by the answer, or with 0 when the event is dropped unanswered (the window
// went, the application ended).
//
// Threads: created by any thread, delivered and destroyed on the UI thread.
#include <QEvent>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace ui {

// The answer a sender waits for. The first complete() wins.
class PendingSend {
public:
    void complete(intptr_t result);
    intptr_t wait();
    bool done() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    intptr_t result_ = 0;
};

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam, std::shared_ptr<PendingSend> pending);
    ~WindowMessageEvent() override;

    static QEvent::Type eventType();

    uint32_t message() const { return message_; }
    uintptr_t wParam() const { return wParam_; }
    intptr_t lParam() const { return lParam_; }
    // Null for a posted message.
    PendingSend* pending() const { return pending_.get(); }

private:
    uint32_t message_;
    uintptr_t wParam_;
    intptr_t lParam_;
    std::shared_ptr<PendingSend> pending_;
};

}  // namespace ui
