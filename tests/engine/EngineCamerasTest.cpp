// The built engine showing two cameras of one moment in one picture: the
// partner joins the main clip's clock, layouts change while it plays, and a
// partner that cannot be shown leaves the main clip playing alone.
#include "support/ClipFactory.h"
#include "support/EngineRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>

using namespace std::chrono_literals;
using testing_support::EngineRun;

namespace {

class EngineCameras : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new testing_support::TempFolder;
        testing_support::ClipSpec front;
        front.durationSeconds = 3.0;
        front.colour = "red";
        front.withSubtitle = false;
        testing_support::ClipSpec rear = front;
        rear.durationSeconds = 1.5;  // ends first: its last frame stays
        rear.colour = "blue";
        rear.withAudio = false;
        rear.width = 120;  // another size and rate, on the front's clock
        rear.frameRate = 15;
        error_ = testing_support::makeClip(folder_->path() + "1_F.mp4", front) +
                 testing_support::makeClip(folder_->path() + "1_R.mp4", rear);
        folder_->write("2_R.mp4", std::string(4000, '\x5a'));
        ::mkfifo((folder_->path() + "3_R.mp4").c_str(), 0600);
        folder_->write("4_R.mp4", "#EXTM3U\nhttp://127.0.0.1:9/x.mp4\n");
    }
    static void TearDownTestSuite() { delete folder_; }
    void SetUp() override {
        ASSERT_EQ(error_, "");
        ASSERT_TRUE(std::filesystem::exists(EngineRun::enginePath()));
    }
    static std::vector<std::string> args(const std::string& partner, const std::string& layout = "inset") {
        return {folder_->path() + "1_F.mp4", "-vo", "null", "-ao", "null", "-slave", "-sid", "0",
                "-partner", folder_->path() + partner, "-layout", layout, "-mirror", "1"};
    }
    static testing_support::TempFolder* folder_;
    static std::string error_;
};

testing_support::TempFolder* EngineCameras::folder_ = nullptr;
std::string EngineCameras::error_;

TEST_F(EngineCameras, ComposesOnTheMainClockAndChangesLayoutWhilePlaying) {
    EngineRun run;
    ASSERT_TRUE(run.start(args("1_R.mp4")));
    EXPECT_EQ(run.next("ID_PARTNER=", 10s), "ID_PARTNER=playing");
    ASSERT_TRUE(run.next("Starting playback", 10s));
    run.send("pause");
    run.send("layout side");
    EXPECT_EQ(run.next("ANS_CAMERA_LAYOUT=", 5s), "ANS_CAMERA_LAYOUT=side mirror");
    // Side by side, the picture is twice as wide.
    EXPECT_EQ(run.next("ID_VIDEO_ASPECT=", 5s), "ID_VIDEO_ASPECT=3.5556");
    run.send("mirror 0");
    EXPECT_EQ(run.next("ANS_CAMERA_LAYOUT=", 5s), "ANS_CAMERA_LAYOUT=side");
    run.send("layout diagonal");
    run.send("layout single");
    EXPECT_EQ(run.next("ANS_CAMERA_LAYOUT=", 5s), "ANS_CAMERA_LAYOUT=single");
    run.send("layout inset");
    run.send("pause");
    // The shorter partner never ends the picture: the main clip plays to its end.
    ASSERT_TRUE(run.next("ANS_TIME_POSITION=2.", 10s));
    EXPECT_EQ(run.finish(10s), 0);
    EXPECT_EQ(run.lines().back(), "ID_EXIT=EOF");
    EXPECT_NE(run.errors().find("bad arguments for 'layout'"), std::string::npos);
}

TEST_F(EngineCameras, APartnerThatCannotBeShownLeavesTheMainClipPlaying) {
    for (const char* partner : {"2_R.mp4", "3_R.mp4", "4_R.mp4", "missing_R.mp4"}) {
        EngineRun run;
        ASSERT_TRUE(run.start(args(partner)));
        EXPECT_EQ(run.next("ID_PARTNER=", 10s), "ID_PARTNER=failed") << partner;
        ASSERT_TRUE(run.next("Starting playback", 10s)) << partner;
        run.send("layout side");  // no partner: nothing to compose, the answer still comes
        EXPECT_EQ(run.next("ANS_CAMERA_LAYOUT=", 5s), "ANS_CAMERA_LAYOUT=side mirror");
        EXPECT_EQ(run.finish(15s), 0) << partner;
        EXPECT_EQ(run.lines().back(), "ID_EXIT=EOF") << partner;
    }
}

}  // namespace
