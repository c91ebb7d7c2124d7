// The table of camera names: each family's names give channel, kind and the
// recorded start; a camera's shape with an impossible moment is no name.
#include "cameras/CameraNaming.h"

#include <gtest/gtest.h>

using cameras::CameraChannel;
using cameras::CameraFamily;
using cameras::CameraNaming;
using cameras::RecordingKind;

namespace {

// 2026-12-07 09:15:00 as the name's clock reads it.
constexpr int64_t kStart = 1796634900;

struct Case {
    const char* path;
    CameraFamily family;
    CameraChannel channel;
    RecordingKind kind;
    int64_t secondsAfter;  // the name's time after kStart
};

}  // namespace

TEST(CameraNaming, EachFamilysNamesGiveChannelKindAndStart) {
    const Case cases[] = {
        {"/d/2026_1207_091500_0001F.MP4", CameraFamily::Viofo, CameraChannel::Front, RecordingKind::Normal, 0},
        {"/d/2026_1207_091501_0002R.MP4", CameraFamily::Viofo, CameraChannel::Rear, RecordingKind::Normal, 1},
        {"/d/2026_1207_091500_000123EI.MP4", CameraFamily::Viofo, CameraChannel::Interior, RecordingKind::Event, 0},
        {"20261207_091500_NF.mp4", CameraFamily::BlackVue, CameraChannel::Front, RecordingKind::Normal, 0},
        {"20261207_091500_PR.mp4", CameraFamily::BlackVue, CameraChannel::Rear, RecordingKind::Parking, 0},
        {"20261207_091500_MI.mp4", CameraFamily::BlackVue, CameraChannel::Interior, RecordingKind::Manual, 0},
        {"REC_2026_12_07_09_15_00_F.MP4", CameraFamily::Thinkware, CameraChannel::Front, RecordingKind::Normal, 0},
        {"EVT_2026_12_07_09_15_02_R.MP4", CameraFamily::Thinkware, CameraChannel::Rear, RecordingKind::Event, 2},
        {"PARK_2026_12_07_09_15_00_F.MP4", CameraFamily::Thinkware, CameraChannel::Front, RecordingKind::Parking, 0},
        {"MAN_2026_12_07_09_15_00_R.MP4", CameraFamily::Thinkware, CameraChannel::Rear, RecordingKind::Manual, 0},
        {"261207_091500_001_FH.MP4", CameraFamily::Nextbase, CameraChannel::Front, RecordingKind::Unknown, 0},
        {"261207_091500_002_RL.MP4", CameraFamily::Nextbase, CameraChannel::Rear, RecordingKind::Unknown, 0},
        {"2026_1207_091500_001A.MP4", CameraFamily::Vantrue, CameraChannel::Front, RecordingKind::Unknown, 0},
        {"2026_1207_091500_002B.MP4", CameraFamily::Vantrue, CameraChannel::Rear, RecordingKind::Unknown, 0},
        {"Front/NO20261207-091500-000001F.MP4", CameraFamily::SeventyMai, CameraChannel::Front,
         RecordingKind::Normal, 0},
        {"Back/EV20261207-091500-000002B.MP4", CameraFamily::SeventyMai, CameraChannel::Rear, RecordingKind::Event,
         0},
        {"2026-12-07_09-15-00-front.mp4", CameraFamily::Tesla, CameraChannel::Front, RecordingKind::Unknown, 0},
        {"2026-12-07_09-15-00-back.mp4", CameraFamily::Tesla, CameraChannel::Rear, RecordingKind::Unknown, 0},
        {"2026-12-07_09-15-00-left_repeater.mp4", CameraFamily::Tesla, CameraChannel::LeftRepeater,
         RecordingKind::Unknown, 0},
        {"2026-12-07_09-15-00-right_repeater.mp4", CameraFamily::Tesla, CameraChannel::RightRepeater,
         RecordingKind::Unknown, 0},
        {"2026-12-07_09-15-00-left_pillar.mp4", CameraFamily::Tesla, CameraChannel::LeftPillar,
         RecordingKind::Unknown, 0},
        {"2026-12-07_09-15-00-right_pillar.MP4", CameraFamily::Tesla, CameraChannel::RightPillar,
         RecordingKind::Unknown, 0},
        // Copies may change the letter case.
        {"rec_2026_12_07_09_15_00_f.mp4", CameraFamily::Thinkware, CameraChannel::Front, RecordingKind::Normal, 0},
    };
    for (const Case& c : cases) {
        const cameras::ClipName name = CameraNaming::parse(c.path);
        EXPECT_EQ(name.family, c.family) << c.path;
        EXPECT_EQ(name.channel, c.channel) << c.path;
        EXPECT_EQ(name.kind, c.kind) << c.path;
        EXPECT_EQ(name.startSeconds, kStart + c.secondsAfter) << c.path;
    }
    // Today's letters on other names: a channel, no time.
    const cameras::ClipName generic = CameraNaming::parse("/d/trip-R.mp4");
    EXPECT_EQ(generic.family, CameraFamily::Generic);
    EXPECT_EQ(generic.channel, CameraChannel::Rear);
    EXPECT_FALSE(generic.startSeconds);
    // The two channel folders of one camera are one camera; another folder is another.
    EXPECT_EQ(CameraNaming::parse("/c/Front/NO20261207-091500-000001F.MP4").camera,
              CameraNaming::parse("/c/BACK/NO20261207-091500-000002B.MP4").camera);
    EXPECT_NE(CameraNaming::parse("/c/Front/NO20261207-091500-000001F.MP4").camera,
              CameraNaming::parse("/e/Back/NO20261207-091500-000002B.MP4").camera);
}

TEST(CameraNaming, ImpossibleMomentsAndStrangeNamesAreUnknown) {
    for (const char* path : {"2026_1307_091500_0001F.MP4", "20260230_091500_NF.mp4", "20250229_091500_NF.mp4",
                             "REC_2026_12_07_24_00_00_F.MP4", "261207_096000_001_FH.MP4", "2026_1207_091560_001A.MP4",
                             "NO20261200-091500-000001F.MP4", "1969-12-31_23-59-59-front.mp4",
                             "2026-12-07_09-15-00-roof.mp4", "clip.mp4", "", "/", "CAR.MP4", "TOUR_BEFORE.MP4",
                             "2026_1207_091500_0001X.MP4"}) {
        const cameras::ClipName name = CameraNaming::parse(path);
        EXPECT_EQ(name.family, CameraFamily::Unknown) << path;
        EXPECT_EQ(name.channel, CameraChannel::None) << path;
        EXPECT_FALSE(name.startSeconds) << path;
    }
    // A leap day is a day.
    EXPECT_EQ(CameraNaming::parse("20280229_091500_NF.mp4").family, CameraFamily::BlackVue);
}
