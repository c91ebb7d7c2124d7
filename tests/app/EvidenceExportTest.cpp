// Exports in the real program (Xvfb), through the test driver: a stretch
// across two clips becomes a folder whose checksums hold and whose video
// has the stretch's length, while the clip keeps playing (a start before the
// clip's lies in the clip before; the report is in German; the driver asks
// for the originals and a time-stamp request too); a stretch over a
// clip gone from the disk fails with a reason and leaves no folder. What
// the folder holds file by file is the tool's test's (the same export).
#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <QJsonObject>
#include <cstdlib>
#include <filesystem>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;

QJsonObject exportState(const QJsonObject& d) {
    return d["export"].toObject();
}

class EvidenceExportRun : public ProgramFixture {};

}  // namespace

TEST_F(EvidenceExportRun, AStretchAcrossTwoClipsIsExportedWhileTheClipPlays) {
    const std::string folder = home.path() + "DCIM/";
    std::filesystem::create_directories(folder);
    const std::string a = folder + "2016_0520_103000_F.MP4";
    const std::string b = folder + "2016_0520_103040_F.MP4";
    ASSERT_EQ(testing_support::makeClip(a, testing_support::driveClip(0)), "");
    ASSERT_EQ(testing_support::makeClip(b, testing_support::driveClip(40)), "");
    const std::string c = folder + "2016_0520_113000_F.MP4";  // another drive, an hour later
    ASSERT_EQ(testing_support::makeClip(c, testing_support::driveClip(3600)), "");
    writeSettings("Language=german.ini\n");  // the report speaks the user's language
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);
    EXPECT_TRUE(driver.ask("drop " + a)["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return state(d) == kPlaying; }, 20s)) << text(dump);
    EXPECT_EQ(exportState(dump)["state"].toString(), "idle");

    // 30 s from 10 s before the end of the first clip, asked from the second.
    EXPECT_TRUE(driver.ask("drop " + b)["ok"].toBool());
    ASSERT_TRUE(driver.ask("export " + b + " -10 30")["ok"].toBool()) << text(dump);
    EXPECT_FALSE(driver.ask("export " + a + " 30 30")["ok"].toBool());  // one at a time
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return exportState(d)["state"].toString() != "running"; }, 120s))
        << text(dump);
    const QJsonObject done = exportState(dump);
    ASSERT_EQ(done["state"].toString(), "done") << text(dump);
    EXPECT_EQ(done["progress"].toDouble(), 1.0);
    EXPECT_TRUE(done["openFolder"].toBool());  // the message offers to open the folder
    EXPECT_EQ(state(dump), kPlaying);  // playback went on
    const std::string exported = done["folder"].toString().toStdString();
    EXPECT_NE(exported.find("/Documents/Veltara DVR Player/Exports/"), std::string::npos) << exported;
    int status = 0;
    const std::string length = testing_support::commandOutput(
        {"/usr/bin/ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", "video.mp4"},
        exported, status);
    EXPECT_NEAR(std::atof(length.c_str()), 30.0, 0.5) << length;
    const std::string check =
        testing_support::commandOutput({"/usr/bin/sha256sum", "-c", "SHA256SUMS"}, exported, status);
    EXPECT_EQ(status, 0) << check;
    const std::string report =
        testing_support::commandOutput({"/usr/bin/pdftotext", "report.pdf", "-"}, exported, status);
    EXPECT_NE(report.find("Höchstgeschwindigkeit"), std::string::npos) << report;
    EXPECT_NE(report.find("(30,0 s)"), std::string::npos) << report;  // the language's decimal sign

    // The dialog's proposal on the later drive's clip stays within that drive:
    // the 10 s before it lie in another drive, so 20 s of it are exported;
    // asked with the originals and a time-stamp request.
    ASSERT_TRUE(driver.ask("export " + c + " -10 30 timestamp nooverlay proposed originals")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return exportState(d)["state"].toString() != "running"; }, 60s));
    ASSERT_EQ(exportState(dump)["state"].toString(), "done") << text(dump);
    const std::string trimmed = testing_support::commandOutput(
        {"/usr/bin/ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", "video.mp4"},
        exportState(dump)["folder"].toString().toStdString(), status);
    EXPECT_NEAR(std::atof(trimmed.c_str()), 20.0, 1.5) << trimmed;
    const std::string sealed = exportState(dump)["folder"].toString().toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(sealed + "/originals/2016_0520_113000_F.MP4"));
    EXPECT_TRUE(std::filesystem::is_regular_file(sealed + "/SHA256SUMS.tsq"));

    // The second clip gone from the disk: the export says which and leaves nothing.
    std::filesystem::remove(b);
    const auto before = std::distance(std::filesystem::directory_iterator(exported + ".."), {});
    ASSERT_TRUE(driver.ask("export " + a + " 30 30 nooverlay")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return exportState(d)["state"].toString() != "running"; }, 60s));
    EXPECT_EQ(exportState(dump)["state"].toString(), "failed");
    EXPECT_FALSE(exportState(dump)["openFolder"].toBool());
    EXPECT_NE(exportState(dump)["error"].toString().indexOf("2016_0520_103040_F.MP4"), -1) << text(dump);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(exported + ".."), {}), before);
    quitCleanly();
}
