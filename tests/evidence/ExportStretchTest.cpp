// The export's stretch: the player's proposal kept within the clip's drive,
// and times in its messages written as a person reads them.
#include "evidence/ExportStretch.h"
#include "platform/DurationText.h"

#include <gtest/gtest.h>

namespace {

StretchClip clip(const char* path, double length, double start) {
    return StretchClip{path, length, start};
}

}  // namespace

// A 10-second clip between clips of other days: 15 s before and after its
// moment reach into neither; a drive of joined clips is kept whole.
TEST(ExportStretch, TheProposalStaysWithinTheDriveOfItsClip) {
    const std::vector<StretchClip> clips = {clip("a.mp4", 60, 1000), clip("short.mp4", 10, 90'000'000),
                                            clip("c.mp4", 60, 171'663'435)};
    size_t first = 0;
    double start = 50.5;  // 9.5 s before the short clip's start: in the clip before
    double length = 30;
    ExportStretch::keepWithinDrive(clips, 1, first, start, length);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(start, 0.0);
    EXPECT_DOUBLE_EQ(length, 10.0);
    std::vector<StretchSegment> segments;
    std::string reason;
    EXPECT_TRUE(ExportStretch::plan(clips, first, start, length, segments, reason)) << reason;

    const std::vector<StretchClip> drive = {clip("a.mp4", 60, 1000), clip("b.mp4", 60, 1061), clip("c.mp4", 60, 1121)};
    first = 0;
    start = 50;
    length = 30;
    ExportStretch::keepWithinDrive(drive, 1, first, start, length);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(start, 50.0);
    EXPECT_EQ(length, 30.0);
    first = 2;
    start = 50;
    ExportStretch::keepWithinDrive(drive, 2, first, start, length);
    EXPECT_EQ(length, 10.0);  // the list ends with the drive
}

TEST(ExportStretch, MessagesWriteTimesAsAPersonReadsThem) {
    const std::vector<StretchClip> clips = {clip("short.mp4", 10, 90'000'000), clip("c.mp4", 60, 171'663'435)};
    std::vector<StretchSegment> segments;
    std::string reason;
    EXPECT_FALSE(ExportStretch::plan(clips, 0, 0.5, 30, segments, reason));
    EXPECT_EQ(reason, "c.mp4: at 9.5 s of the stretch there is a gap of 945 days 4 h after short.mp4");
    EXPECT_FALSE(ExportStretch::plan(clips, 0, 0.0, 900, segments, reason));
    EXPECT_EQ(reason, "the length must be more than 0 s and at most 10 min");

    EXPECT_EQ(platform::durationText(30), "30 s");
    EXPECT_EQ(platform::durationText(-9.46), "-9.5 s");
    EXPECT_EQ(platform::durationText(250), "4 min 10 s");
    EXPECT_EQ(platform::durationText(7510), "2 h 5 min");
    EXPECT_EQ(platform::durationText(86400), "1 day");
    EXPECT_EQ(platform::durationText(1e300), platform::durationText(1e15));
}
