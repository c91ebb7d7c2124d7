// Window messages from worker threads: posted in order, sent with the
// handler's answer, and never a hang when the window closes.
#include "support/TempFolder.h"
#include "ui/CXMLWnd.h"
#include "ui/UiLibrary.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

const char* kSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0"><class>W</class><widget class="QWidget" name="W"/></ui>
)";

constexpr uint32_t kPost = 1025;
constexpr uint32_t kSend = 1027;

class MessageWindow : public ui::CXMLWnd {
public:
    MessageWindow() : CXMLWnd("W.xml") {}

    struct Seen {
        uint32_t message;
        uintptr_t wParam;
        bool onUiThread;
    };
    std::vector<Seen> seen;  // UI thread only
    std::function<void()> onDestroy;

    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        seen.push_back({message, wParam, QThread::currentThread() == qApp->thread()});
        if (message == kSend) return static_cast<intptr_t>(wParam) * 2 + lParam;
        return 0;
    }
    void OnDestroy() override {
        if (onDestroy) onDestroy();
    }
};

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        folder_.write("W.xml", kSkin);
        ui::setResourcePath(QString::fromStdString(folder_.path()));
        ASSERT_TRUE(window_.Create(nullptr, "messages"));
    }
    // Runs the UI thread's event loop until the future is ready.
    template <class T>
    bool pumpUntil(std::future<T>& f) {
        return QTest::qWaitFor([&] { return f.wait_for(0ms) == std::future_status::ready; }, 5000);
    }

    testing_support::TempFolder folder_;
    MessageWindow window_;
};

TEST_F(WindowMessages, PostsArriveInOrderOnTheUiThreadAndSendsAnswer) {
    platform::MessageTarget* target = window_.GetHWND();
    auto worker = std::async(std::launch::async, [target] {
        for (uintptr_t i = 0; i < 200; ++i) target->postMessage(kPost, i, 0);
        return target->sendMessage(kSend, 21, 1);
    });
    ASSERT_TRUE(pumpUntil(worker));
    EXPECT_EQ(worker.get(), 43);

    ASSERT_EQ(window_.seen.size(), 201u);
    for (uintptr_t i = 0; i < 200; ++i) {
        EXPECT_EQ(window_.seen[i].message, kPost);
        EXPECT_EQ(window_.seen[i].wParam, i);
        EXPECT_TRUE(window_.seen[i].onUiThread);
    }
    // The send came after the posts and was handled after them.
    EXPECT_EQ(window_.seen[200].message, kSend);
    EXPECT_TRUE(window_.seen[200].onUiThread);

    // On the UI thread a send is a direct call.
    EXPECT_EQ(target->sendMessage(kSend, 5, 0), 10);
    EXPECT_EQ(window_.seen.size(), 202u);
}

TEST_F(WindowMessages, SendToAClosedWindowAnswersZeroAtOnce) {
    window_.Close(ui::IDOK);
    auto worker = std::async(std::launch::async, [target = window_.GetHWND()] {
        target->postMessage(kPost, 1, 0);
        return target->sendMessage(kSend, 21, 0);
    });
    // No event loop runs here: the answer must not need one.
    ASSERT_EQ(worker.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(worker.get(), 0);
    QTest::qWait(20);
    EXPECT_TRUE(window_.seen.empty());
}

TEST_F(WindowMessages, ClosingWakesASenderThatOnDestroyWaitsFor) {
    // The worker is blocked in a send when the window closes, and the window
    // waits for the worker while it closes, as a player stop does.
    std::atomic<bool> sending{false};
    std::atomic<intptr_t> answer{-1};
    std::thread worker([&] {
        sending = true;
        answer = window_.GetHWND()->sendMessage(kSend, 21, 0);
    });
    while (!sending) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);  // the send is queued by now
    window_.onDestroy = [&] { worker.join(); };
    window_.Close(ui::IDOK);
    EXPECT_FALSE(worker.joinable());
    EXPECT_EQ(answer.load(), 0);
    QTest::qWait(20);  // the dropped message is never handled
    EXPECT_TRUE(window_.seen.empty());
}

TEST_F(WindowMessages, TheHandleOutlivesItsWindow) {
    auto handle = std::make_unique<MessageWindow>();
    ASSERT_TRUE(handle->Create(nullptr, "short-lived"));
    std::shared_ptr<ui::WindowHandle> target = handle->GetHandle();
    target->postMessage(kPost, 1, 0);  // still queued when the window goes
    handle.reset();
    EXPECT_FALSE(target->attached());
    auto worker = std::async(std::launch::async, [target] {
        target->postMessage(kPost, 2, 0);
        return target->sendMessage(kSend, 3, 0);
    });
    ASSERT_EQ(worker.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(worker.get(), 0);
    QTest::qWait(20);  // the queued message is dropped without touching the window
}

}  // namespace
