#include "ui/WindowMessageEvent.h"

namespace ui {

void PendingSend::complete(intptr_t result) {
    {
        std::lock_guard lock(mutex_);
        if (done_) return;
        done_ = true;
        result_ = result;
    }
    finished_.notify_all();
}

intptr_t PendingSend::wait() {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return done_; });
    return result_;
}

bool PendingSend::done() const {
    std::lock_guard lock(mutex_);
    return done_;
}

WindowMessageEvent::WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                       std::shared_ptr<PendingSend> pending)
    : QEvent(eventType()), message_(message), wParam_(wParam), lParam_(lParam), pending_(std::move(pending)) {}

WindowMessageEvent::~WindowMessageEvent() {
    // Dropped without an answer: the sender must not wait for ever.
    if (pending_) pending_->complete(0);
}

QEvent::Type WindowMessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace ui
