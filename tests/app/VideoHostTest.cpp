// The video host: the native window the player draws into follows the
// host's visibility, sits letterboxed inside it, and a double-click on it
// reaches the window as "dbclick" with lParam 8.
#include "support/MainSkinWindow.h"
#include "app/CWndUI.h"
#include "app/VideoWindow.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QWindow>

namespace {

class VideoHost : public ::testing::Test {
protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        useSourceSkin();
        ASSERT_TRUE(window_.Create(nullptr, "video"));
        window_.resize(1280, 720);
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        host_ = window_.FindControl<CWndUI>("wndMedia");
        ASSERT_NE(host_, nullptr);
        video_ = host_->GetHostedWindow();
        ASSERT_NE(video_, nullptr);
    }
    bool nativeShown() const { return video_->windowHandle() && video_->windowHandle()->isVisible(); }

    MainSkinWindow window_;
    CWndUI* host_ = nullptr;
    VideoWindow* video_ = nullptr;
};

TEST_F(VideoHost, HasANativeWindowForThePlayer) {
    EXPECT_NE(host_->GetVideoWindowId(), 0u);
    EXPECT_EQ(host_->GetVideoWindowId(), static_cast<quintptr>(video_->winId()));
    EXPECT_TRUE(video_->testAttribute(Qt::WA_NativeWindow));
    EXPECT_EQ(video_->windowTitle(), "Player window");
    EXPECT_TRUE(nativeShown());
    // The main window's controls stay non-native.
    EXPECT_FALSE(window_.FindControl("btnPlay")->testAttribute(Qt::WA_NativeWindow));
    EXPECT_FALSE(host_->Attach(nullptr));
    EXPECT_EQ(host_->GetHostedWindow(), video_);
}

TEST_F(VideoHost, HidingTheHostHidesTheVideoWindow) {
    host_->SetVisible(false);
    EXPECT_FALSE(video_->isVisible());
    EXPECT_FALSE(nativeShown());
    host_->SetVisible(true);
    EXPECT_TRUE(nativeShown());

    // Hidden with its container, as a layout change does.
    QWidget* board = window_.FindControl("PlayerBoardLeft");
    board->hide();
    EXPECT_FALSE(nativeShown());
    board->show();
    EXPECT_TRUE(nativeShown());

    host_->SetInternVisible(false);
    EXPECT_FALSE(nativeShown());
    host_->SetInternVisible(true);
    EXPECT_TRUE(nativeShown());
}

TEST_F(VideoHost, KeepsTheVideoLetterboxedInsideItsBox) {
    // Without an aspect the video fills the host.
    EXPECT_EQ(video_->geometry(), host_->rect());

    QWidget free;  // a parent without a layout, so SetPos decides the size
    free.resize(1200, 800);
    host_->setParent(&free);
    free.show();
    host_->show();
    host_->SetAspect(16.0 / 9.0);
    host_->SetPos(QRect(10, 20, 1000, 500));
    EXPECT_EQ(host_->GetPos(), QRect(10, 20, 1000, 500));
    EXPECT_EQ(video_->geometry(), QRect(56, 0, 888, 500));
    host_->SetPos(QRect(0, 0, 800, 600));
    EXPECT_EQ(video_->geometry(), QRect(0, 75, 800, 450));
    // A new aspect applies at the next layout, and resizing lays out too.
    host_->SetAspect(0);
    host_->resize(640, 480);
    EXPECT_EQ(video_->geometry(), QRect(0, 0, 640, 480));
    host_->setParent(nullptr);
    delete host_;  // it was taken out of the window
}

TEST_F(VideoHost, DoubleClickOnTheVideoTellsTheWindow) {
    window_.notes.clear();
    QTest::mouseDClick(video_, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseDClick(video_, Qt::RightButton, {}, QPoint(40, 30));  // not the left button
    ASSERT_EQ(window_.notes.size(), 1u);
    EXPECT_EQ(window_.notes[0].type, "dbclick");
    EXPECT_EQ(window_.notes[0].sender, host_);
    EXPECT_EQ(window_.notes[0].wParam, 1u);
    EXPECT_EQ(window_.notes[0].lParam, 8);
}

}  // namespace
