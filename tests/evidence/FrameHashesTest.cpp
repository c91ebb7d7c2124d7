// frames.md5 against FFmpeg's own framemd5 of the same stretch, byte for
// byte, at a frame rate that does not divide the clock (30000/1001) and with
// B-frames; and the check that names the first frame that differs.
#include "evidence/FrameHashes.h"
#include "support/CommandOutput.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <tuple>

namespace {

const std::string kFfmpeg = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";

std::string ffmpeg(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> argv = {kFfmpeg, "-nostdin", "-hide_banner", "-loglevel", "error"};
    argv.insert(argv.end(), args.begin(), args.end());
    int status = -1;
    const std::string out = testing_support::commandOutput(argv, folder, status);
    EXPECT_EQ(status, 0) << out;
    return out;
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

TEST(FrameHashes, EqualFfmpegsFramemd5AndNameTheFirstFrameThatDiffers) {
    if (!std::filesystem::exists(kFfmpeg)) GTEST_SKIP() << "no ffmpeg in this build";
    testing_support::TempFolder tmp;
    const std::string clip = tmp.path() + "2026_1207_101522_F.MP4";
    const std::string second = tmp.path() + "2026_1207_101622_F.MP4";
    // Two layouts of the picture's planes; a width whose rows the decoder pads.
    for (const auto& [path, source, layout] :
         {std::tuple{clip, "testsrc=size=160x120:rate=30000/1001", "yuv420p"},
          {second, "smptebars=size=150x100:rate=30000/1001", "yuv444p"}})
        ffmpeg({"-f", "lavfi", "-i", source, "-t", "3", "-c:v", "libx264", "-bf", "2", "-g", "12", "-pix_fmt",
                layout, path},
               tmp.path());

    const std::vector<FrameStretch> stretches = {{clip, 1.3, 3.0}, {second, 0.0, 1.25}};
    for (const FrameStretch& s : stretches) {
        std::string text, reason;
        ASSERT_TRUE(FrameHashes::ofStretch(s, text, reason)) << reason;
        EXPECT_EQ(text, ffmpeg({"-ss", seconds(s.inSeconds), "-i", s.path, "-t", seconds(s.outSeconds - s.inSeconds),
                                "-map", "0:v:0", "-f", "framemd5", "-"},
                               tmp.path()));
    }

    std::filesystem::create_directory(tmp.path() + "evidence");
    const int fd = ::open((tmp.path() + "evidence").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string sha256, reason;
    ASSERT_TRUE(FrameHashes::write(fd, stretches, sha256, reason)) << reason;
    VerifyChecks checks = FrameHashes::check(fd, stretches);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].holds) << checks[0].detail;

    // The second clip re-encoded: its frames differ from the first on.
    ffmpeg({"-i", second, "-c:v", "libx264", "-crf", "40", "-bf", "0", "-y", tmp.path() + "changed.MP4"}, tmp.path());
    std::filesystem::rename(tmp.path() + "changed.MP4", second);
    checks = FrameHashes::check(fd, stretches);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].holds);
    EXPECT_EQ(checks[0].detail, "frame 0 of 2026_1207_101622_F.MP4 differs");
    ::close(fd);
}

}  // namespace
