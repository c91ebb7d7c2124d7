#include "ui/WindowHandle.h"

#include "ui/WindowMessageEvent.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <atomic>

namespace ui {

// Receives the queued messages on the UI thread and hands them to the handle.
class WindowHandle::Receiver : public QObject {
public:
    explicit Receiver(WindowHandle* handle) : handle_(handle) {}

    // The handle lets go of the receiver; messages still queued answer 0.
    void release() { handle_.store(nullptr); }

    bool event(QEvent* e) override {
        if (e->type() != WindowMessageEvent::eventType()) return QObject::event(e);
        auto* message = static_cast<WindowMessageEvent*>(e);
        WindowHandle* handle = handle_.load();
        const intptr_t result = handle ? handle->deliver(message->message(), message->wParam(), message->lParam()) : 0;
        if (PendingSend* pending = message->pending()) {
            pending->complete(result);
            // The handler may have detached the handle.
            if ((handle = handle_.load())) handle->forget(pending);
        }
        return true;
    }

private:
    std::atomic<WindowHandle*> handle_;
};

WindowHandle::WindowHandle(Handler handler)
    : handler_(std::move(handler)), receiver_(new Receiver(this)), uiThread_(QThread::currentThread()) {}

WindowHandle::~WindowHandle() {
    detach();
}

void WindowHandle::postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    std::lock_guard lock(mutex_);
    // Posting under the lock: detach cannot delete the receiver meanwhile.
    if (receiver_) QCoreApplication::postEvent(receiver_, new WindowMessageEvent(message, wParam, lParam, nullptr));
}

intptr_t WindowHandle::sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (QThread::currentThread() == uiThread_) return deliver(message, wParam, lParam);
    auto pending = std::make_shared<PendingSend>();
    {
        std::lock_guard lock(mutex_);
        if (!receiver_) return 0;
        waiting_.push_back(pending);
        QCoreApplication::postEvent(receiver_, new WindowMessageEvent(message, wParam, lParam, pending));
    }
    const intptr_t result = pending->wait();
    forget(pending.get());
    return result;
}

intptr_t WindowHandle::deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    return handler ? handler(message, wParam, lParam) : 0;
}

void WindowHandle::forget(const PendingSend* pending) {
    std::lock_guard lock(mutex_);
    std::erase_if(waiting_, [pending](const auto& p) { return p.get() == pending; });
}

void WindowHandle::detach() {
    std::vector<std::shared_ptr<PendingSend>> waiting;
    {
        std::lock_guard lock(mutex_);
        handler_ = nullptr;
        // deleteLater: detach may run inside the receiver's own event handler.
        // Events still queued for it are dropped with it, answering 0.
        if (receiver_) {
            static_cast<Receiver*>(receiver_)->release();
            receiver_->deleteLater();
        }
        receiver_ = nullptr;
        waiting.swap(waiting_);
    }
    for (const auto& pending : waiting) pending->complete(0);
}

bool WindowHandle::attached() const {
    std::lock_guard lock(mutex_);
    return receiver_ != nullptr;
}

}  // namespace ui
