// An export whose rear inset is a repaired copy lists the copy's original
// beside it, with the checksum the repair recorded, as it does for a
// repaired front clip.
#include "evidence/EvidenceExport.h"
#include "repair/ClipRepair.h"
#include "repair/RepairProvenance.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <filesystem>

TEST(RepairedInsetExport, TheInsetsOriginalIsListedWithItsChecksum) {
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    testing_support::TempFolder tmp;
    testing_support::ClipSpec spec;
    for (int i = 0; i < 5; ++i) spec.trackTexts.push_back(testing_support::cameraTrackText(i));
    spec.durationSeconds = 5.0;
    spec.withAudio = false;
    spec.width = 64;
    spec.height = 36;
    const std::string front = tmp.path() + "2016_0520_103000_F.MP4";
    const std::string reference = tmp.path() + "2016_0520_102900_R.MP4";
    const std::string rear = tmp.path() + "2016_0520_103000_R.MP4";
    for (const std::string& clip : {front, reference, rear}) ASSERT_EQ(testing_support::makeClip(clip, spec), "");
    const std::string bytes = tmp.read("2016_0520_103000_R.MP4");
    tmp.write("2016_0520_103000_R.MP4", bytes.substr(0, bytes.rfind("moov") - 4));
    const RepairOutcome repaired = ClipRepair::run({rear, reference, nullptr, nullptr, {}});
    ASSERT_TRUE(repaired.repaired) << repaired.reason;

    EvidenceRequest request;
    request.clips = {front};
    request.startSeconds = 0.5;
    request.lengthSeconds = 2.0;
    request.overlay = false;
    request.inset = true;
    request.partners = {repaired.copy};
    request.exportsFolder = tmp.path() + "exports";
    request.ffmpeg = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
    request.reportProgram = std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report";
    std::string folder, reason;
    ASSERT_TRUE(EvidenceExport().run(request, folder, reason)) << reason;
    const std::string sums = tmp.read(folder.substr(tmp.path().size()) + "/SHA256SUMS");
    const auto provenance = RepairProvenance::read(repaired.copy);
    ASSERT_TRUE(provenance);
    EXPECT_NE(sums.find(provenance->originalSha256 + "  " + rear + "\n"), std::string::npos) << sums;
}
