// A clip cut short (its index gone) dropped on the real program (Xvfb): its
// row says it was cut, the test driver's repair makes a copy from the healthy
// clip beside it, and the copy joins the playlist, marked as repaired, plays
// and shows its track.
#include "support/ClipFactory.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;

class ClipRepairEndToEnd : public ProgramFixture {};

TEST_F(ClipRepairEndToEnd, ACutClipIsRepairedThenPlaysWithItsTrack) {
    const std::string folder = home.path() + "DCIM/";
    std::filesystem::create_directories(folder);
    testing_support::ClipSpec spec;
    spec.width = 320;
    spec.height = 180;
    spec.trackTexts = testing_support::cameraTrack(60);
    spec.durationSeconds = 6.0;
    ASSERT_EQ(testing_support::makeClip(folder + "2016_0520_1030_F.MP4", spec), "");
    const std::string cut = folder + "2016_0520_1031_F.MP4";
    ASSERT_EQ(testing_support::makeClip(cut, spec), "");
    {
        std::ifstream in(cut, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const size_t moov = bytes.rfind("moov");
        ASSERT_NE(moov, std::string::npos);
        std::ofstream(cut, std::ios::binary | std::ios::trunc) << bytes.substr(0, (moov - 4) * 8 / 10);
    }

    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);
    EXPECT_TRUE(driver.ask("drop " + cut)["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return rows(d).size() == 2 && rows(d)[1].toObject()["cut"].toBool() &&
                   rows(d)[1].toObject()["problem"].toString() == "cut";
        },
        20s))
        << text(dump);
    EXPECT_FALSE(rows(dump)[0].toObject()["cut"].toBool());

    EXPECT_TRUE(driver.ask("repair 1")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return d["playlist"].toObject()["repair"].toObject()["state"].toString() == "done" && rows(d).size() == 3 &&
                   rows(d)[2].toObject()["repaired_from"].toString().toStdString() == cut;
        },
        30s))
        << text(dump);
    EXPECT_EQ(rows(dump)[2].toObject()["name"].toString(), "2016_0520_1031_F.repaired.MP4");
    EXPECT_TRUE(std::filesystem::exists(cut));

    EXPECT_TRUE(driver.ask("activate 2")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return state(d) == kPlaying && current(d) == 2 && map(d)["linePoints"].toInt() > 1 && !chartEmpty(d) &&
                   label(d, "LabelPositionStatus") == "GPS status: Valid fix";
        },
        30s))
        << text(dump);
}

}  // namespace
