// Slave command lines as the program writes them, and lines it never should.
#include "engine/LineSplitter.h"
#include "engine/SlaveCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using engine::parseSlaveCommand;
using Kind = engine::SlaveCommand::Kind;
using SeekMode = engine::SlaveCommand::SeekMode;

TEST(EngineSlaveCommand, TheCommandsTheProgramSends) {
    EXPECT_EQ(parseSlaveCommand("quit").kind, Kind::Quit);
    EXPECT_EQ(parseSlaveCommand("pause").kind, Kind::Pause);
    EXPECT_EQ(parseSlaveCommand("get_time_pos").kind, Kind::GetTimePos);
    EXPECT_EQ(parseSlaveCommand("sub_log_static").kind, Kind::SubLogStatic);
    EXPECT_EQ(parseSlaveCommand("screenshot 0").kind, Kind::Screenshot);

    const auto volume = parseSlaveCommand("volume 35 1");
    EXPECT_EQ(volume.kind, Kind::Volume);
    EXPECT_EQ(volume.value, 35);
    EXPECT_TRUE(volume.absolute);
    EXPECT_FALSE(parseSlaveCommand("volume -5").absolute);  // a change, not a level

    const auto mute = parseSlaveCommand("mute 1");
    EXPECT_EQ(mute.kind, Kind::Mute);
    EXPECT_TRUE(mute.on);
    EXPECT_FALSE(mute.toggle);
    EXPECT_FALSE(parseSlaveCommand("mute 0").on);
    EXPECT_TRUE(parseSlaveCommand("mute").toggle);

    const auto seek = parseSlaveCommand("seek 42 2");
    EXPECT_EQ(seek.kind, Kind::Seek);
    EXPECT_EQ(seek.value, 42);
    EXPECT_EQ(seek.seekMode, SeekMode::Absolute);
    EXPECT_EQ(parseSlaveCommand("seek -10").seekMode, SeekMode::Relative);
    EXPECT_EQ(parseSlaveCommand("seek 50 1").seekMode, SeekMode::Percent);

    EXPECT_EQ(parseSlaveCommand("quit 3").exitCode, 3);

    const auto speed = parseSlaveCommand("speed_set 1.50");
    EXPECT_EQ(speed.kind, Kind::SpeedSet);
    EXPECT_EQ(speed.value, 1.5);
    EXPECT_EQ(parseSlaveCommand("frame_step").kind, Kind::FrameStep);
    EXPECT_EQ(parseSlaveCommand("frame_back_step").kind, Kind::FrameBackStep);
    for (const char* bad :
         {"speed_set", "speed_set 0", "speed_set -2", "speed_set nan", "speed_set 2 3", "frame_step 1"})
        EXPECT_EQ(parseSlaveCommand(bad).kind, Kind::Invalid) << bad;
}

TEST(EngineSlaveCommand, BlanksAndCarriageReturnsAreTolerated) {
    EXPECT_EQ(parseSlaveCommand("  seek\t7   2 \r").seekMode, SeekMode::Absolute);
    EXPECT_EQ(parseSlaveCommand("get_time_pos\r").kind, Kind::GetTimePos);
    EXPECT_EQ(parseSlaveCommand("").kind, Kind::Empty);
    EXPECT_EQ(parseSlaveCommand(" \t\r").kind, Kind::Empty);
}

TEST(EngineSlaveCommand, MalformedLinesNeverBecomeCommands) {
    for (const char* bad : {"seek", "seek abc 2", "seek 5 7", "seek 5 2 9", "seek nan 2", "seek 1e999 2", "volume",
                            "volume 10 x", "mute maybe", "quit 300", "quit -1", "quit 1.5", "screenshot 1", "pause now",
                            "get_time_pos 1", "sub_log_static x"})
        EXPECT_EQ(parseSlaveCommand(bad).kind, Kind::Invalid) << bad;
    for (const char* unknown : {"get_property volume", "QUIT", "loadfile /etc/passwd", "run rm"})
        EXPECT_EQ(parseSlaveCommand(unknown).kind, Kind::Unknown) << unknown;
}

TEST(EngineLineSplitter, LinesAcrossReadsAndOverlongLines) {
    engine::LineSplitter splitter(16);
    std::vector<std::string> lines;
    const auto collect = [&lines](std::string_view line) { lines.emplace_back(line); };

    splitter.feed("pau", collect);
    splitter.feed("se\nget_time", collect);
    splitter.feed("_pos\n\nquit", collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"pause", "get_time_pos", ""}));

    // A line past the limit is dropped whole, even when it comes in pieces,
    // and the next line is read as usual.
    splitter.feed("\n0123456789", collect);
    splitter.feed("0123456789", collect);
    splitter.feed("0123456789\nmute 1\n", collect);
    EXPECT_EQ(splitter.droppedLines(), 1u);

    splitter.feed("seek 1 2", collect);
    splitter.finish(collect);
    EXPECT_EQ(lines, (std::vector<std::string>{"pause", "get_time_pos", "", "quit", "mute 1", "seek 1 2"}));
}
