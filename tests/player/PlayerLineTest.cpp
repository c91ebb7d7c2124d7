// The pure pieces of the player: reading one output line, cutting the output
// into lines, and building the command line.
#include "player/PlayerCommandLine.h"
#include "player/PlayerLineParser.h"
#include "player/PlayerOutputSplitter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using Kind = PlayerLine::Kind;

TEST(PlayerLineParser, PrefixesIgnoreCaseAndTheFirstMatchDecides) {
    EXPECT_EQ(PlayerLineParser::parse("starting PLAYBACK...").kind, Kind::Started);
    EXPECT_EQ(PlayerLineParser::parse("id_exit=eof").kind, Kind::ExitEof);
    EXPECT_EQ(PlayerLineParser::parse(" Starting playback").kind, Kind::Ignored);  // a prefix, not a search
    const PlayerLine subtitle = PlayerLineParser::parse("ID_SUBTITLE_LOG=ID_EXIT=EOF");
    EXPECT_EQ(subtitle.kind, Kind::SubtitleText);
    EXPECT_EQ(subtitle.text, "ID_EXIT=EOF");
}

TEST(PlayerLineParser, NumbersReadLikeAtoiAndAtofWithoutOverflow) {
    EXPECT_EQ(PlayerLineParser::parse("ANS_TIME_POSITION=12.9").integer, 12);
    EXPECT_EQ(PlayerLineParser::parse("ANS_TIME_POSITION=  -3.5").integer, -3);
    EXPECT_EQ(PlayerLineParser::parse("ANS_TIME_POSITION=abc").integer, 0);
    EXPECT_EQ(PlayerLineParser::parse("ID_VIDEO_WIDTH=99999999999999999999").integer, INT_MAX);
    EXPECT_EQ(PlayerLineParser::parse("ID_VIDEO_HEIGHT=-99999999999999999999").integer, INT_MIN);
    EXPECT_DOUBLE_EQ(PlayerLineParser::parse("ID_LENGTH=61.25").number, 61.25);
    EXPECT_DOUBLE_EQ(PlayerLineParser::parse("ID_VIDEO_ASPECT= +1.7778xyz").number, 1.7778);
    EXPECT_DOUBLE_EQ(PlayerLineParser::parse("ID_LENGTH=1,5").number, 1.0);  // not the user's locale
    for (const char* odd :
         {"ID_LENGTH=nan", "ID_LENGTH=inf", "ID_LENGTH=-inf", "ID_LENGTH=1e999", "ID_LENGTH=--2", "ID_LENGTH="}) {
        const PlayerLine line = PlayerLineParser::parse(odd);
        EXPECT_EQ(line.kind, Kind::Length) << odd;
        EXPECT_EQ(line.number, 0.0) << odd;
    }
}

TEST(PlayerLineParser, AScreenshotNameIsAPlainFileName) {
    EXPECT_EQ(PlayerLineParser::parse("*** screenshot 'shot0001.png").kind, Kind::Ignored);
    EXPECT_EQ(PlayerLineParser::parse("*** screenshot '' ***").kind, Kind::Ignored);
    EXPECT_EQ(PlayerLineParser::parse("*** screenshot '../../etc/passwd' ***").kind, Kind::Ignored);
    EXPECT_EQ(PlayerLineParser::parse("*** screenshot '" + std::string(40, 'n') + "'").text, std::string(31, 'n'));
}

namespace {

std::vector<std::string> split(const std::vector<std::string>& reads) {
    PlayerOutputSplitter splitter;
    std::vector<std::string> lines;
    const auto onLine = [&](std::string_view line) { lines.emplace_back(line); };
    for (const auto& bytes : reads) splitter.feed(bytes, onLine);
    splitter.finish(onLine);
    return lines;
}

}  // namespace

TEST(PlayerOutputSplitter, LinesEndAtCrOrLfAndEmptyOnesAreSkipped) {
    EXPECT_EQ(split({"a\r\nb\rc\n\n\nd", "e\n"}), (std::vector<std::string>{"a", "b", "c", "de"}));
}

TEST(PlayerOutputSplitter, AnEndlessLineComesInBoundedPieces) {
    const std::string huge(10000, 'x');
    const auto lines = split({huge.substr(0, 3000), huge.substr(3000) + "\nok\n"});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].size(), PlayerOutputSplitter::kMaxLine);
    EXPECT_EQ(lines[1].size(), PlayerOutputSplitter::kMaxLine);
    EXPECT_EQ(lines[2].size(), 10000 - 2 * PlayerOutputSplitter::kMaxLine);
    EXPECT_EQ(lines[3], "ok");
}

TEST(PlayerCommandLine, TextAndArgumentsCarryTheSameOptions) {
    PlayerCommandLine line;
    line.playerPath = "/opt/p/MPlayer/mplayer";
    line.mediaFile = "/clips/a b \"c\".mp4";
    line.videoWindow = 4194313;
    line.videoOutput = "directx:noaccel";
    line.audioOutput = "DSound";
    line.soundDevice = 2;
    line.volume = 40;
    line.muted = true;
    line.extraOptions = "-sid 0 -idx  -nokeepaspect";
    EXPECT_EQ(line.text(),
              "/opt/p/MPlayer/mplayer \"/clips/a b \"c\".mp4\" -wid 4194313 -vo directx:noaccel -slave -quiet "
              "-identify -ao dsound:device=2 -volume 40 -muteset 1 -sid 0 -idx  -nokeepaspect");
    EXPECT_EQ(line.arguments(),
              (std::vector<std::string>{"/opt/p/MPlayer/mplayer", "/clips/a b \"c\".mp4", "-wid", "4194313", "-vo",
                                        "directx:noaccel", "-slave", "-quiet", "-identify", "-ao", "dsound:device=2",
                                        "-volume", "40", "-muteset", "1", "-sid", "0", "-idx", "-nokeepaspect"}));

    line.videoWindow = 0;
    line.audioOutput = "win32";
    line.muted = false;
    line.extraOptions.clear();
    EXPECT_EQ(line.text(),
              "/opt/p/MPlayer/mplayer \"/clips/a b \"c\".mp4\" -vo directx:noaccel -slave -quiet "
              "-identify -ao win32 -volume 40 -muteset 0 ");
    EXPECT_EQ(line.arguments().size(), 13u);
}
