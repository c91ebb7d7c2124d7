#include "platform/GuardedMapping.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <atomic>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

// The range this thread is copying from, and where to jump when it faults.
// Plain values only: the signal handler reads them. Initial-exec: reaching
// them never allocates, even from a shared library, so the handler may.
struct Guard {
    const unsigned char* begin;
    const unsigned char* end;
    sigjmp_buf* jump;
};
[[gnu::tls_model("initial-exec")]] thread_local Guard t_guard{nullptr, nullptr, nullptr};

struct sigaction g_previous {};

void onBusError(int signal, siginfo_t* info, void* context) {
    const auto* at = static_cast<const unsigned char*>(info->si_addr);
    if (t_guard.jump != nullptr && at >= t_guard.begin && at < t_guard.end) siglongjmp(*t_guard.jump, 1);
    if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // Not ours and nobody else's: the default action, when the faulting
    // instruction runs again on return.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(SIGBUS, &fallback, nullptr);
}

void installHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        // SA_NODEFER: SIGBUS stays unblocked after the jump out of the
        // handler, so copy() need not save and restore the signal mask (a
        // system call per copy).
        action.sa_flags = SA_SIGINFO | SA_NODEFER | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &g_previous);
    });
}

// Kept apart so that nothing but this frame lies between sigsetjmp and the
// jump back: no object with a destructor, no local changed after sigsetjmp.
[[gnu::noinline]] bool guardedCopy(const unsigned char* begin, const unsigned char* end, const unsigned char* from,
                                   size_t n, void* out) {
    sigjmp_buf jump;
    if (sigsetjmp(jump, 0) != 0) {
        t_guard.jump = nullptr;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        return false;
    }
    t_guard.begin = begin;
    t_guard.end = end;
    t_guard.jump = &jump;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::memcpy(out, from, n);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    t_guard.jump = nullptr;
    return true;
}

}  // namespace

GuardedMapping::~GuardedMapping() {
    if (data_ != nullptr) ::munmap(const_cast<unsigned char*>(data_), static_cast<size_t>(size_));
}

bool GuardedMapping::map(int fd, uint64_t size) {
    if (data_ != nullptr || fd < 0 || size == 0 || size > SIZE_MAX / 2) return false;
#ifdef __SANITIZE_THREAD__
    // The thread checker holds synchronous signals back from their handler, so
    // the guard cannot work under it: the callers read instead.
    return false;
#endif
    installHandler();
    void* at = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (at == MAP_FAILED) return false;
    data_ = static_cast<const unsigned char*>(at);
    size_ = size;
    return true;
}

bool GuardedMapping::copy(uint64_t offset, size_t n, void* out) const {
    if (data_ == nullptr || offset > size_ || n > size_ - offset) return false;
    if (n == 0) return true;
    return guardedCopy(data_, data_ + size_, data_ + offset, n, out);
}

}  // namespace platform
