// Which clips are the cameras of one moment.
#include "cameras/ClipPartners.h"

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
    const std::vector<std::string> list = {"/d/1_F.MP4", "/d/1_R.MP4", "/d/2_F.MP4", "/d/2_R.MP4", "/d/clip.mp4",
                                           "/d/2026_1207_091500_0001F.MP4", "/d/2026_1207_091500_0001R.MP4",
                                           "/d/2026_1207_091600_0002F.MP4"};
    EXPECT_EQ(partners::sameChannel(list, "/d/1_R.MP4"), (std::vector<size_t>{1, 3}));
    EXPECT_EQ(partners::sameChannel(list, "/d/2_F.MP4"), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(partners::sameChannel(list, "/d/clip.mp4"), (std::vector<size_t>{4}));
    EXPECT_EQ(partners::sameChannel(list, "/d/2026_1207_091500_0001F.MP4"), (std::vector<size_t>{5, 7}));
}

// Each family's front and rear of one moment pair up, though the numbers and
// the names' times differ by a little; the next moment pairs on its own.
TEST(ClipPartners, EveryFamilysFrontAndRearPairUp) {
    const std::vector<std::vector<std::string>> sets = {
        {"/v/2026_1207_091500_0001F.MP4", "/v/2026_1207_091501_0002R.MP4", "/v/2026_1207_091600_0003F.MP4",
         "/v/2026_1207_091600_0004R.MP4"},
        {"/b/20261207_091500_NF.mp4", "/b/20261207_091502_NR.mp4", "/b/20261207_091600_NF.mp4",
         "/b/20261207_091600_NR.mp4"},
        {"/t/REC_2026_12_07_09_15_00_F.MP4", "/t/REC_2026_12_07_09_15_01_R.MP4", "/t/REC_2026_12_07_09_16_00_F.MP4",
         "/t/REC_2026_12_07_09_16_00_R.MP4"},
        {"/n/261207_091500_001_FH.MP4", "/n/261207_091500_002_RH.MP4", "/n/261207_091600_003_FH.MP4",
         "/n/261207_091600_004_RH.MP4"},
        {"/a/2026_1207_091500_001A.MP4", "/a/2026_1207_091503_002B.MP4", "/a/2026_1207_091600_003A.MP4",
         "/a/2026_1207_091600_004B.MP4"},
        {"/s/Front/NO20261207-091500-000001F.MP4", "/s/Back/NO20261207-091500-000002B.MP4",
         "/s/Front/NO20261207-091600-000003F.MP4", "/s/Back/NO20261207-091601-000004B.MP4"},
        {"/e/2026-12-07_09-15-00-front.mp4", "/e/2026-12-07_09-15-00-back.mp4", "/e/2026-12-07_09-16-00-front.mp4",
         "/e/2026-12-07_09-16-00-back.mp4"},
        {"/g/a_F.MP4", "/g/a_R.MP4", "/g/b_F.MP4", "/g/b_R.MP4"},
    };
    for (const auto& names : sets) {
        std::vector<ClipStamp> clips;
        // The file times matter only where the name has none.
        for (size_t i = 0; i < names.size(); ++i) clips.push_back({names[i], i < 2 ? 0.0 : 60.0});
        const auto p = partners::matchPartners(clips);
        EXPECT_EQ(p[0], 1u) << names[0];
        EXPECT_EQ(p[2], 3u) << names[2];
    }
    // A moment of Tesla's six cameras is one moment; the player's pair is front and back.
    std::vector<ClipStamp> tesla;
    for (const char* side : {"front", "back", "left_repeater", "right_repeater", "left_pillar", "right_pillar"})
        tesla.push_back({std::string("/e/2026-12-07_09-15-00-") + side + ".mp4", 0});
    EXPECT_EQ(partners::matchMoments(tesla), (std::vector<std::vector<size_t>>{{0, 1, 2, 3, 4, 5}}));
    EXPECT_EQ(partners::matchPartners(tesla)[0], 1u);
    EXPECT_FALSE(partners::matchPartners(tesla)[2]);
    // Two fronts of one moment are two moments; 4 s apart, or in other
    // folders, or of other families, nothing pairs.
    EXPECT_EQ(partners::matchMoments({{"/v/2026_1207_091500_0001F.MP4", 0}, {"/v/2026_1207_091500_0002F.MP4", 0},
                                      {"/v/2026_1207_091500_0003R.MP4", 0}}),
              (std::vector<std::vector<size_t>>{{0, 2}, {1}}));
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"/v/2026_1207_091500_0001F.MP4", "/v/2026_1207_091504_0002R.MP4"},
             {"/v/2026_1207_091500_0001F.MP4", "/w/2026_1207_091500_0002R.MP4"},
             {"/v/2026_1207_091500_0001F.MP4", "/v/20261207_091500_NR.MP4"}})
        EXPECT_FALSE(partners::matchPartners({{a, 0}, {b, 0}})[0]) << b;
}
