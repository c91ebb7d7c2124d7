#pragma once
// The window as a receiver of window messages: what the core's workers hold
// as the main window handle. postMessage queues the message for the UI
// thread; sendMessage from a worker blocks until the UI thread has handled it
// and returns the handler's result, on the UI thread it calls the handler
// directly. Messages from one thread arrive in the order they were posted or
// sent.
//
// Threads: postMessage and sendMessage from any thread; construction and
// detach on the UI thread. Lifecycle: a window creates its handle, attached,
// and detaches it when it closes (at the latest when it is destroyed). A
// detached handle drops posted messages and answers sends with 0 at once,
// and detaching wakes every waiting sender with 0, so a window that stops
// workers while closing never waits for a sender that waits for it. Shared
// ownership lets the handle outlive the window.
#include "platform/MessageTarget.h"

#include <QObject>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThread;

namespace ui {

class PendingSend;

class WindowHandle final : public platform::MessageTarget {
public:
    using Handler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    // On the UI thread: messages go to handler on this thread.
    explicit WindowHandle(Handler handler);
    ~WindowHandle() override;
    WindowHandle(const WindowHandle&) = delete;
    WindowHandle& operator=(const WindowHandle&) = delete;

    void postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    intptr_t sendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    void detach();
    bool attached() const;

private:
    class Receiver;
    intptr_t deliver(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void forget(const PendingSend* pending);

    mutable std::mutex mutex_;
    Handler handler_;              // cleared by detach
    QObject* receiver_ = nullptr;  // lives on the UI thread; null once detached
    QThread* uiThread_ = nullptr;
    std::vector<std::shared_ptr<PendingSend>> waiting_;  // sends not answered yet
};

}  // namespace ui
