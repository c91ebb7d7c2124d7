// Exports of hostile folders and clips. The export's folder under attack
// from whoever can write to its parent: the moment the folder is made, it is
// renamed away and a link to another folder put in its place (the hook
// stands for the attacker's watch, so the race is the same every run).
// Neither a failed export's cleanup nor a finished export's writes may
// reach the linked folder, and no success is claimed for a path that no
// longer leads to the files. A rear clip that is no video, a clip claiming
// more than it holds and a video without its index are refused.
#include "evidence/EvidenceExport.h"
#include "support/Bytes.h"
#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>

namespace {

size_t entries(const std::string& folder) {
    if (!std::filesystem::exists(folder)) return 0;
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

testing_support::ClipSpec shortClip(int first) {
    testing_support::ClipSpec spec;
    for (int i = first; i < first + 5; ++i) spec.trackTexts.push_back(testing_support::cameraTrackText(i));
    spec.cueSeconds = 1.0;
    spec.durationSeconds = 5.0;
    spec.withAudio = false;
    spec.width = 64;
    spec.height = 36;
    return spec;
}

EvidenceRequest requestOf(const std::vector<std::string>& clips, const std::string& exports) {
    EvidenceRequest request;
    request.clips = clips;
    request.startSeconds = 1.0;
    request.lengthSeconds = 2.0;
    request.overlay = false;
    request.exportsFolder = exports;
    request.ffmpeg = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
    request.reportProgram = std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report";
    return request;
}

}  // namespace

TEST(HostileExport, AFolderSwappedForALinkIsNeitherWrittenNorCleanedThrough) {
    // The export ends with the report; a core-only build has no report program.
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    testing_support::TempFolder tmp;
    const std::string clip = tmp.path() + "2016_0520_103000_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, shortClip(0)), "");
    // Someone else's folder, with a file of an export's name.
    tmp.write("theirs/keep.txt", "keep");
    tmp.write("theirs/video.mp4", "theirs");

    for (const bool touched : {true, false}) {
        SCOPED_TRACE(touched ? "the source touched" : "the source left alone");
        const EvidenceRequest request = requestOf({clip}, tmp.path() + "exports");
        std::string moved;
        EvidenceExport job;
        job.setFolderMadeHook([&](const std::string& made) {
            const std::string name = made.substr(0, made.size() - 1);
            moved = name + " moved";
            ASSERT_EQ(::rename(name.c_str(), moved.c_str()), 0);
            ASSERT_EQ(::symlink((tmp.path() + "theirs").c_str(), name.c_str()), 0);
            if (touched) {
                ASSERT_EQ(::utimensat(AT_FDCWD, clip.c_str(), nullptr, 0), 0);
            }
        });
        std::string folder, reason;
        EXPECT_FALSE(job.run(request, folder, reason)) << folder;
        EXPECT_NE(reason.find(touched ? "changed" : "moved or replaced"), std::string::npos) << reason;
        EXPECT_EQ(tmp.read("theirs/keep.txt"), "keep");
        EXPECT_EQ(tmp.read("theirs/video.mp4"), "theirs");
        EXPECT_EQ(entries(tmp.path() + "theirs"), 2u);
        // What the export made went where the folder went, and was removed from there.
        ASSERT_FALSE(moved.empty());
        EXPECT_EQ(entries(moved), 0u);
        std::filesystem::remove_all(request.exportsFolder);  // the link and the moved folder
    }
}

TEST(HostileExport, ARearClipThatIsNoVideoIsRefused) {
    testing_support::TempFolder tmp;
    const std::string a = tmp.path() + "2016_0520_103000_F.MP4";
    const std::string b = tmp.path() + "2016_0520_103005_F.MP4";
    const std::string rear = tmp.path() + "2016_0520_103000_R.MP4";
    ASSERT_EQ(testing_support::makeClip(a, shortClip(0)), "");
    ASSERT_EQ(testing_support::makeClip(b, shortClip(5)), "");
    ASSERT_EQ(testing_support::makeClip(rear, shortClip(0)), "");
    const std::string text = tmp.write("2016_0520_103005_R.MP4", std::string(5000, 't'));
    EvidenceRequest request = requestOf({a, b}, tmp.path() + "exports");
    request.startSeconds = 3.0;
    request.lengthSeconds = 4.0;  // into the second clip, whose rear is text
    request.inset = true;
    request.partners = {rear, text};
    EvidenceExport job;
    std::string folder, reason;
    EXPECT_FALSE(job.run(request, folder, reason));
    EXPECT_NE(reason.find("2016_0520_103005_R.MP4 cannot be read"), std::string::npos) << reason;
    EXPECT_EQ(entries(request.exportsFolder), 0u);
}

TEST(HostileExport, AVideoShorterThanTheStretchOrWithoutItsIndexFails) {
    testing_support::TempFolder tmp;
    // A 5 s clip whose movie header claims 600 s.
    const std::string clip = tmp.path() + "2016_0520_103000_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, shortClip(0)), "");
    std::string bytes = tmp.read("2016_0520_103000_F.MP4");
    const size_t mvhd = bytes.find("mvhd");
    ASSERT_NE(mvhd, std::string::npos);
    ASSERT_EQ(bytes[mvhd + 4], 0);  // version 0: time scale at 16, duration at 20
    const uint32_t scale = testing_support::bytes::getU32be(bytes, mvhd + 16);
    testing_support::bytes::putU32be(bytes, mvhd + 20, scale * 600);
    tmp.write("2016_0520_103000_F.MP4", bytes);

    EvidenceRequest request = requestOf({clip}, tmp.path() + "exports");
    request.startSeconds = 0.0;
    request.lengthSeconds = 30.0;
    std::string folder, reason;
    EXPECT_FALSE(EvidenceExport().run(request, folder, reason));
    EXPECT_NE(reason.find("not the stretch's 30.00 s"), std::string::npos) << reason;
    EXPECT_EQ(entries(request.exportsFolder), 0u);

    // An FFmpeg that ends well after a trailer it could not write.
    const std::string fake = tmp.write("ffmpeg", "#!/bin/sh\nprintf '\\000\\000\\000\\010mdat' > video.mp4\n");
    ASSERT_EQ(::chmod(fake.c_str(), 0755), 0);
    request.ffmpeg = fake;
    request.lengthSeconds = 2.0;
    EXPECT_FALSE(EvidenceExport().run(request, folder, reason));
    EXPECT_NE(reason.find("video.mp4 was not finished"), std::string::npos) << reason;
    EXPECT_EQ(entries(request.exportsFolder), 0u);
}

TEST(HostileExport, TheReportProgramReadsOnlyRegularFilesAndLeavesNoPartialPdf) {
    const std::string program = std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "no report program in this build";
    testing_support::TempFolder tmp;
    const std::string fifo = tmp.path() + "frame.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A frame that is a FIFO, and 10,000 clips to list.
    std::string json = "{\"lengthSeconds\": 10, \"frame\": \"" + fifo + "\", \"clips\": [";
    for (int i = 0; i < 10'000; ++i)
        json += std::string(i ? "," : "") + "{\"path\": \"/clips/" + std::to_string(i) +
                ".MP4\", \"size\": 1, \"from\": \"0.0 s\", \"to\": \"1.0 s\", \"sha256\": \"00\"}";
    tmp.write("report.json", json + "]}");
    int status = -1;
    const std::string said = testing_support::commandOutput({program, "report.json", "report.pdf"}, tmp.path(), status);
    ASSERT_EQ(status, 0) << said;
    const std::string info = testing_support::commandOutput({"/usr/bin/pdfinfo", "report.pdf"}, tmp.path(), status);
    const size_t pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    EXPECT_LE(std::atoi(info.c_str() + pages + 6), 40) << info;  // the list is cut, with a line saying so

    // An input that is a FIFO: refused at once, and no PDF at all.
    ASSERT_EQ(::mkfifo((tmp.path() + "input.json").c_str(), 0600), 0);
    testing_support::commandOutput({program, "input.json", "other.pdf"}, tmp.path(), status);
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(std::filesystem::exists(tmp.path() + "other.pdf"));
}

TEST(HostileExport, AClipOfManyFixesGivesTracksOfTheStretchAloneAndAReportInputWithinItsLimit) {
    // A clip of 1,000 fixes a second (the reader's limit scaled down): a
    // stretch of 4 s holds 4,000 of its 20,000.
    testing_support::TempFolder tmp;
    testing_support::TelemetryClipSpec spec;
    spec.layout = testing_support::ClipLayout::Garmin;
    testing_support::DriveSpec drive;
    drive.seconds = 20;
    drive.perSecond = 1000;
    spec.drive = testing_support::madeUpDrive(drive);
    spec.withVideo = true;
    spec.width = 64, spec.height = 36;
    const std::string clip = tmp.path() + "clip.mp4";
    ASSERT_EQ(testing_support::makeTelemetryClip(clip, spec), "");
    // A report program that keeps its input.
    const std::string keeper =
        tmp.write("report", "#!/bin/sh\ncp \"$1\" \"" + tmp.path() + "input.json\" && printf pdf > \"$2\"\n");
    ASSERT_EQ(::chmod(keeper.c_str(), 0755), 0);

    std::string drawnWhole;
    for (const size_t limit : {ReportInput::kInputLimit, size_t{16'000}}) {
        EvidenceRequest request = requestOf({clip}, tmp.path() + "exports" + std::to_string(limit));
        request.startSeconds = 5.0;
        request.lengthSeconds = 4.0;
        request.reportProgram = keeper;
        request.reportInputLimit = limit;
        std::string folder, reason;
        ASSERT_TRUE(EvidenceExport().run(request, folder, reason)) << reason;
        std::ifstream csv(folder + "track.csv");
        size_t rows = 0;
        for (std::string line; std::getline(csv, line);) ++rows;
        EXPECT_EQ(rows, 1u + 4000u);  // the header and the stretch's fixes, no more
        const std::string input = tmp.read("input.json");
        // The figures are of every fix, whatever is drawn.
        const size_t figures = input.find("\"distanceMetres\"");
        const std::string stated = input.substr(figures, input.find(",\"strongestG\"") - figures);
        if (drawnWhole.empty()) {
            drawnWhole = stated;
            EXPECT_GT(input.size(), size_t{16'000});  // so the smaller limit thins it
        } else {
            EXPECT_LE(input.size(), limit);
            EXPECT_EQ(stated, drawnWhole);
            EXPECT_NE(input.find("\"route\":[4"), std::string::npos);  // still a route to draw
        }
    }
}
