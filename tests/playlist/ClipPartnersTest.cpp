// Which clips are the cameras of one moment.
#include "playlist/ClipPartners.h"

#include <gtest/gtest.h>
#include <cmath>

using partners::Channel;
using partners::ClipStamp;

TEST(ClipPartners, ReadsTheChannelLetterOfDashCameraNames) {
    EXPECT_EQ(partners::channelOf("/d/2026_1207_101500_F.MP4").channel, Channel::Front);
    EXPECT_EQ(partners::channelOf("/d/20261207_101500_NR.MP4").channel, Channel::Rear);
    EXPECT_EQ(partners::channelOf("/d/2026_1207_101500_0001I.mp4").channel, Channel::Interior);
    EXPECT_EQ(partners::channelOf("/d/2026_1207_101500_F.MP4").key, partners::channelOf("/d/2026_1207_101500_R.mp4").key);
    // Words that merely end in the letters, and names without a stem, are no channel.
    for (const char* name : {"/d/CAR.MP4", "/d/F.MP4", "/d/clip.mp4", "/d/.R", "", "/d/TOUR_BEFORE.MP4"})
        EXPECT_EQ(partners::channelOf(name).channel, Channel::None) << name;
    // The same stem in another folder is another key.
    EXPECT_NE(partners::channelOf("/a/1_F.MP4").key, partners::channelOf("/b/1_R.MP4").key);
}

TEST(ClipPartners, PairsTheCamerasOfOneMomentOnly) {
    const std::vector<ClipStamp> clips = {
        {"/d/2026_1207_101500_F.MP4", 1000},   // 0: with 1 (rear beats interior)
        {"/d/2026_1207_101500_R.MP4", 1002},   // 1
        {"/d/2026_1207_101500_I.MP4", 1000},   // 2: interior left without partner
        {"/d/2026_1207_101600_F.MP4", 1060},   // 3: rear 5 s away: no partner
        {"/d/2026_1207_101600_R.MP4", 1065},   // 4
        {"/d/20261207_101700_NF.MP4", 2000},   // 5: with 6
        {"/d/20261207_101700_NR.MP4", 2003},   // 6
        {"/d/clip.mp4", 2000},                 // 7
        {"/d/20261207_101700_NR.MOV", 2000},   // 8: other extension
    };
    const auto p = partners::matchPartners(clips);
    ASSERT_EQ(p.size(), clips.size());
    EXPECT_EQ(p[0], 1u);
    EXPECT_EQ(p[1], 0u);
    EXPECT_FALSE(p[2]);
    EXPECT_FALSE(p[3]);
    EXPECT_FALSE(p[4]);
    EXPECT_EQ(p[5], 6u);
    EXPECT_EQ(p[6], 5u);
    EXPECT_FALSE(p[7]);
    EXPECT_FALSE(p[8]);
    // Without a front, the rear takes the interior; a time that is no number never pairs.
    const auto q = partners::matchPartners({{"/d/9_R.MP4", 5}, {"/d/9_I.MP4", 6}, {"/d/8_F.MP4", std::nan("")},
                                            {"/d/8_R.MP4", 0}});
    EXPECT_EQ(q[0], 1u);
    EXPECT_FALSE(q[2]);
}

// An export's stretch follows one camera through the list.
TEST(ClipPartners, AStretchGoesOnThroughOneCamerasClips) {
    const std::vector<std::string> list = {"/d/1_F.MP4", "/d/1_R.MP4", "/d/2_F.MP4", "/d/2_R.MP4", "/d/clip.mp4"};
    EXPECT_EQ(partners::sameChannel(list, "/d/1_R.MP4"), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(partners::sameChannel(list, "/d/2_F.MP4"), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(partners::sameChannel(list, "/d/clip.mp4"), (std::vector<size_t>{4}));
}
