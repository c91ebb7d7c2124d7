// The generated clips carry what the tests rely on: a mov_text stream with
// the camera's handler name and one cue per track text.
#include "platform/ChildProcess.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace testing_support;

TEST(ClipFactory, MakesACameraClipWhoseTrackFfmpegReadsBack) {
    TempFolder tmp;
    ClipSpec spec;
    spec.trackTexts = cameraTrack(12);
    spec.durationSeconds = 1.2;
    const std::string clip = tmp.path() + "clip with blank.mp4";
    ASSERT_EQ(makeClip(clip, spec), "");

    platform::ChildProcess ffmpeg;
    platform::ChildProcess::Options options;
    options.mergeStderrIntoStdout = true;
    ASSERT_EQ(ffmpeg.start({"/usr/bin/ffmpeg", "-hide_banner", "-i", clip, "-vn", "-an", "-scodec", "srt", "-f", "srt", "-"},
                           options),
              0);
    ffmpeg.closeStdin();
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(ffmpeg.stdoutFd(), buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(ffmpeg.waitFor(std::chrono::seconds(60)), 0);
    EXPECT_NE(out.find("Subtitle: mov_text"), std::string::npos);
    EXPECT_NE(out.find("Ambarella EXT"), std::string::npos);
    EXPECT_NE(out.find(cameraTrackText(0)), std::string::npos);
    EXPECT_NE(out.find(cameraTrackText(11)), std::string::npos);
}
