// Where the video goes in its box: truncated sizes, centred with the offset
// rounded toward zero, and the whole box whenever there is no usable aspect.
#include "app/LetterboxGeometry.h"

#include <gtest/gtest.h>

namespace {
constexpr double kWide = 16.0 / 9.0;
}

TEST(LetterboxGeometry, WiderBoxGetsBarsLeftAndRight) {
    EXPECT_EQ(fitVideoBox({0, 0, 1000, 500}, kWide), (VideoBox{56, 0, 888, 500}));
    // The offset is added to the box's own position.
    EXPECT_EQ(fitVideoBox({10, 20, 1000, 500}, kWide), (VideoBox{66, 20, 888, 500}));
    // A 4:3 clip in a 16:9 box: 640 of 853 wide, the odd pixel to the right.
    EXPECT_EQ(fitVideoBox({0, 0, 853, 480}, 4.0 / 3.0), (VideoBox{106, 0, 640, 480}));
}

TEST(LetterboxGeometry, NarrowerBoxGetsBarsAboveAndBelow) {
    EXPECT_EQ(fitVideoBox({0, 0, 800, 600}, kWide), (VideoBox{0, 75, 800, 450}));
    EXPECT_EQ(fitVideoBox({5, 7, 800, 600}, kWide), (VideoBox{5, 82, 800, 450}));
    // 1001 / 1.7778 = 563.06: truncated, and (600 - 563) / 2 rounds down.
    EXPECT_EQ(fitVideoBox({0, 0, 1001, 600}, kWide), (VideoBox{0, 18, 1001, 563}));
}

TEST(LetterboxGeometry, EqualRatioFillsTheBox) {
    for (int width : {160, 640, 1280, 1600, 1920, 3840}) {
        const VideoBox box{3, 4, width, width * 9 / 16};
        EXPECT_EQ(fitVideoBox(box, kWide), box) << width;
    }
}

TEST(LetterboxGeometry, NoUsableAspectOrSizeFillsTheBox) {
    const VideoBox box{10, 10, 640, 360};
    EXPECT_EQ(fitVideoBox(box, 0.0), box);
    EXPECT_EQ(fitVideoBox(box, -1.5), box);
    EXPECT_EQ(fitVideoBox(box, std::numeric_limits<double>::quiet_NaN()), box);
    EXPECT_EQ(fitVideoBox({10, 10, 640, 0}, kWide), (VideoBox{10, 10, 640, 0}));
    EXPECT_EQ(fitVideoBox({10, 10, 640, -5}, kWide), (VideoBox{10, 10, 640, -5}));
    EXPECT_EQ(fitVideoBox({10, 10, 0, 360}, kWide), (VideoBox{10, 10, 0, 360}));
}
