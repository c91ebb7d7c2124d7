// The engine's command line as the program builds it, and the mapping of the
// settings window's outputs to libmpv's.
#include "engine/CommandLine.h"
#include "engine/OutputDrivers.h"

#include <gtest/gtest.h>

using engine::parseCommandLine;

TEST(EngineCommandLine, TheProgramsFullLineMapsToLibmpvOptions) {
    const auto c = parseCommandLine({"/home/u/Videos/clip with blank.mp4", "-wid", "62914561", "-vo", "directx:noaccel",
                                     "-slave", "-quiet", "-identify", "-ao", "dsound:device=2", "-volume", "40",
                                     "-muteset", "1", "-sid", "0", "-idx", "-nokeepaspect"});
    EXPECT_TRUE(c.warnings.empty()) << c.warnings.front();
    const auto& o = c.options;
    EXPECT_EQ(o.mediaFile, "/home/u/Videos/clip with blank.mp4");
    EXPECT_EQ(o.windowId, 62914561);
    EXPECT_EQ(o.videoOutput, "x11,gpu,null");
    EXPECT_EQ(o.audioOutput, "");
    EXPECT_EQ(o.audioDeviceIndex, 2);
    EXPECT_EQ(o.volume, 40);
    EXPECT_TRUE(o.muted);
    EXPECT_EQ(o.subtitleTrack, 1);  // the player's track 0 is libmpv's 1
    EXPECT_FALSE(o.keepAspect);
    EXPECT_FALSE(o.listAudioDevices);
}

TEST(EngineCommandLine, VideoOutputsOfTheSettingsWindow) {
    for (const char* gl : {"gl:yuv=0:force-pbo", "gl:yuv=2:force-pbo", "gl:force-pbo", "GL:yuv=6"})
        EXPECT_EQ(engine::mapVideoOutput(gl).mpvVo, "gpu,x11,null") << gl;
    EXPECT_EQ(engine::mapVideoOutput("directx:noaccel").mpvVo, "x11,gpu,null");
    EXPECT_EQ(engine::mapVideoOutput("null").mpvVo, "null");
    const auto unknown = engine::mapVideoOutput("direct3d");
    EXPECT_FALSE(unknown.known);
    EXPECT_EQ(unknown.mpvVo, "x11,gpu,null");
}

TEST(EngineCommandLine, AudioOutputsAndDevices) {
    EXPECT_EQ(engine::mapAudioOutput("dsound").deviceIndex, -1);
    EXPECT_EQ(engine::mapAudioOutput("DSound:device=3").deviceIndex, 3);
    EXPECT_EQ(engine::mapAudioOutput("dsound:foo=1:device=0").deviceIndex, 0);
    EXPECT_EQ(engine::mapAudioOutput("dsound:device=-1").deviceIndex, -1);
    EXPECT_EQ(engine::mapAudioOutput("dsound:device=2x").deviceIndex, -1);
    EXPECT_EQ(engine::mapAudioOutput("dsound").mpvAo, "");
    EXPECT_EQ(engine::mapAudioOutput("win32").mpvAo, "");
    EXPECT_EQ(engine::mapAudioOutput("win32").deviceIndex, -1);
    EXPECT_EQ(engine::mapAudioOutput("null").mpvAo, "null");
    EXPECT_EQ(engine::mapAudioOutput("pulse").mpvAo, "pulse");
    EXPECT_FALSE(engine::mapAudioOutput("waveout").known);
}

TEST(EngineCommandLine, UnknownOptionsAndBadValuesWarnAndAreSkipped) {
    const auto c = parseCommandLine({"-fs", "clip.mp4", "-wid", "abc", "-volume", "250", "-muteset", "x", "-vo",
                                     "direct3d", "-sid", "-2", "--nokeepaspect", "other.mp4", "-ao"});
    EXPECT_EQ(c.options.mediaFile, "clip.mp4");
    EXPECT_EQ(c.options.windowId, 0);
    EXPECT_EQ(c.options.volume, 100);  // clamped, not refused
    EXPECT_FALSE(c.options.muted);
    EXPECT_FALSE(c.options.subtitleTrack.has_value());
    EXPECT_FALSE(c.options.keepAspect);
    // -fs, -wid abc, -muteset x, -vo direct3d, -sid -2, other.mp4, -ao without value
    ASSERT_EQ(c.warnings.size(), 7u);
    for (const auto& w : c.warnings) EXPECT_EQ(w.rfind("Warning: ", 0), 0u) << w;
}

TEST(EngineCommandLine, WindowIdsAndSpecialForms) {
    EXPECT_EQ(parseCommandLine({"a", "-wid", "0x3e00001"}).options.windowId, 0x3e00001);
    EXPECT_EQ(parseCommandLine({"a", "-wid", "-5"}).options.windowId, 0);
    EXPECT_FALSE(parseCommandLine({"a", "-volume", "-1"}).options.volume.has_value());
    EXPECT_TRUE(parseCommandLine({"-list-audio-devices"}).options.listAudioDevices);
    // After "--" a name that begins with a dash is a file.
    EXPECT_EQ(parseCommandLine({"--", "-odd name.mp4"}).options.mediaFile, "-odd name.mp4");
    EXPECT_TRUE(parseCommandLine({}).options.mediaFile.empty());
}

TEST(EngineCommandLine, TheCarsCamerasTheLargeOneAndTheScreen) {
    const auto c = parseCommandLine({"f.mp4", "-camera", "F:f.mp4", "-camera", "left_pillar:/d/a:b.mp4", "-large",
                                     "R", "-layout", "strip", "-screen", "960x720", "-camera", "back:x.mp4",
                                     "-camera", "R:", "-camera", "no-colon", "-large", "rear", "-screen", "9x9"});
    const auto& o = c.options;
    ASSERT_EQ(o.cameraFiles.size(), 2u);
    EXPECT_EQ(o.cameraFiles[1].channel, cameras::CameraChannel::LeftPillar);
    EXPECT_EQ(o.cameraFiles[1].path, "/d/a:b.mp4");  // split at the first colon only
    EXPECT_EQ(o.largeCamera, cameras::CameraChannel::Rear);
    EXPECT_EQ(o.layout, cameras::CameraLayout::Strip);
    EXPECT_EQ(o.screenWidth, 960);
    EXPECT_EQ(o.screenHeight, 720);
    EXPECT_EQ(c.warnings.size(), 5u);  // three bad cameras, a bad large camera, a bad screen
}
