// The review keys' table and the speed steps: what a press means.
#include "app/ReviewKeys.h"
#include "player/PlaybackSpeedSteps.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using Action = ReviewKeys::Action;

namespace {
Action actionOf(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const ReviewKeys::Binding* binding = ReviewKeys::Find(key, modifiers);
    return binding ? binding->action : static_cast<Action>(-1);
}
int amountOf(int key, Qt::KeyboardModifiers modifiers) {
    const ReviewKeys::Binding* binding = ReviewKeys::Find(key, modifiers);
    return binding ? binding->amount : 0;
}
}  // namespace

TEST(ReviewKeys, ModifiersChooseTheStepAndPunctuationIgnoresShift) {
    EXPECT_EQ(amountOf(Qt::Key_Right, Qt::NoModifier), 5);
    EXPECT_EQ(amountOf(Qt::Key_Left, Qt::ShiftModifier), -1);
    EXPECT_EQ(amountOf(Qt::Key_Right, Qt::ControlModifier), 30);
    EXPECT_EQ(ReviewKeys::Find(Qt::Key_Right, Qt::AltModifier), nullptr);
    EXPECT_EQ(ReviewKeys::Find(Qt::Key_M, Qt::ControlModifier), nullptr);
    // "?" and "]" need Shift or AltGr on many layouts; the keypad's "." is ".".
    EXPECT_EQ(actionOf(Qt::Key_Question, Qt::ShiftModifier), Action::ShowKeys);
    EXPECT_EQ(actionOf(Qt::Key_BracketRight, Qt::ShiftModifier), Action::Faster);
    EXPECT_EQ(actionOf(Qt::Key_Period, Qt::KeypadModifier), Action::FrameForward);
    // N steps through the trip's events, Shift+N back; Enter, Escape and F8 stay the window's.
    EXPECT_EQ(actionOf(Qt::Key_N, Qt::NoModifier), Action::NextEvent);
    EXPECT_EQ(actionOf(Qt::Key_N, Qt::ShiftModifier), Action::PreviousEvent);
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Escape), int(Qt::Key_F8)})
        EXPECT_EQ(ReviewKeys::Find(key, Qt::NoModifier), nullptr) << key;
    // No press has two meanings.
    std::set<std::pair<int, int>> seen;
    for (const ReviewKeys::Binding& binding : ReviewKeys::Table())
        EXPECT_TRUE(seen.insert({binding.key, binding.modifiers.toInt()}).second) << binding.key;
}

TEST(ReviewKeys, SpeedStepsStopAtTheEndsAndSnapToASpeedInBetween) {
    EXPECT_EQ(PlaybackSpeedSteps::Faster(1.0), 1.5);
    EXPECT_EQ(PlaybackSpeedSteps::Faster(PlaybackSpeedSteps::Faster(1.0)), 2.0);
    EXPECT_EQ(PlaybackSpeedSteps::Faster(4.0), 4.0);
    EXPECT_EQ(PlaybackSpeedSteps::Slower(0.25), 0.25);
    EXPECT_EQ(PlaybackSpeedSteps::Slower(1.0), 0.5);
    EXPECT_EQ(PlaybackSpeedSteps::Faster(1.2), 1.5);
    EXPECT_EQ(PlaybackSpeedSteps::Slower(1.2), 1.0);
    EXPECT_EQ(PlaybackSpeedSteps::Faster(1.001), 1.5);  // the player's rounding is still 1×
    EXPECT_EQ(PlaybackSpeedSteps::Cycle(4.0), 0.25);
    EXPECT_EQ(ReviewKeys::SpeedText(1.0), QString::fromUtf8("1×"));
    EXPECT_EQ(ReviewKeys::SpeedText(0.25), QString::fromUtf8("0.25×"));
}
