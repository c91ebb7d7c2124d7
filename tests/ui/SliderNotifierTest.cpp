// A slider tells "valuechanged" for what the user does and never for values
// the program sets, so that showing the play position cannot seek.
#include "ui/EventSource.h"
#include "ui/JumpClickStyle.h"
#include "ui/SliderNotifier.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>

namespace {

class SliderNotifications : public ::testing::Test {
protected:
    void SetUp() override {
        slider_.setStyle(&style_);
        slider_.setRange(0, 100);
        slider_.setValue(50);
        slider_.setFixedSize(220, 24);
        ui::SliderNotifier::attach(&slider_);
        ui::SliderNotifier::attach(&slider_);  // a second attach changes nothing
        ui::EventSource::of(&slider_)->subscribe([this](const ui::Notification& n) {
            EXPECT_EQ(n.type, "valuechanged");
            EXPECT_EQ(n.sender, &slider_);
            told_.push_back(static_cast<int>(n.wParam));
            return true;
        });
        slider_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider_));
    }

    void mouse(QEvent::Type type, int x, Qt::MouseButtons buttons) {
        const QPointF pos(x, slider_.height() / 2);
        QMouseEvent event(type, pos, slider_.mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&slider_, &event);
    }

    ui::JumpClickStyle style_;
    QSlider slider_{Qt::Horizontal};
    std::vector<int> told_;
};

TEST_F(SliderNotifications, ProgramChangesAreSilent) {
    slider_.setValue(10);
    slider_.setValue(90);
    slider_.setMaximum(40);  // clamps the value
    slider_.setRange(0, 0);
    EXPECT_TRUE(told_.empty());
}

TEST_F(SliderNotifications, KeysTellEachChangeOnly) {
    slider_.setFocus();
    QTest::keyClick(&slider_, Qt::Key_Right);
    QTest::keyClick(&slider_, Qt::Key_End);
    QTest::keyClick(&slider_, Qt::Key_End);  // already at the end: no change
    // A key that changed nothing must not make the next program value look
    // like the user's.
    slider_.setValue(20);
    QTest::keyClick(&slider_, Qt::Key_Home);
    EXPECT_EQ(told_, (std::vector<int>{51, 100, 0}));
}

TEST_F(SliderNotifications, ClickJumpsAndTellsOnce) {
    QTest::mouseClick(&slider_, Qt::LeftButton, {}, QPoint(165, 12));
    ASSERT_EQ(told_.size(), 1u);
    EXPECT_NEAR(told_[0], 75, 4);
    EXPECT_EQ(slider_.value(), told_[0]);
}

TEST_F(SliderNotifications, DragTellsOnceWhenReleased) {
    mouse(QEvent::MouseButtonPress, 110, Qt::LeftButton);  // on the handle at 50
    ASSERT_TRUE(slider_.isSliderDown());
    const size_t atPress = told_.size();
    for (int x = 120; x <= 200; x += 20) mouse(QEvent::MouseMove, x, Qt::LeftButton);
    EXPECT_EQ(told_.size(), atPress);  // nothing while the handle is held
    const int dragged = slider_.value();
    EXPECT_GT(dragged, 80);
    // The play position arriving meanwhile does not move the held handle.
    ui::SliderNotifier::setProgramValue(&slider_, 5);
    EXPECT_EQ(slider_.value(), dragged);
    mouse(QEvent::MouseButtonRelease, 200, Qt::NoButton);
    ASSERT_EQ(told_.size(), atPress + 1);
    EXPECT_EQ(told_.back(), dragged);

    // Once released the program sets values again, silently.
    ui::SliderNotifier::setProgramValue(&slider_, 5);
    EXPECT_EQ(slider_.value(), 5);
    EXPECT_EQ(told_.size(), atPress + 1);
}

}  // namespace
