// veltara-track as a user runs it: formats, sampling, map datums, and what
// happens with files that give no track, and with bad command lines.
#include "platform/ChildProcess.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>
#include <filesystem>
#include <sstream>

using testing_support::TempFolder;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the tool from the program folder, reading both outputs as they come.
ToolRun runTool(const std::vector<std::string>& arguments, const std::string& workingDirectory = {}) {
    std::vector<std::string> argv{std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-track"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    platform::ChildProcess tool;
    platform::ChildProcess::Options options;
    options.workingDirectory = workingDirectory;
    ToolRun run;
    if (tool.start(argv, options) != 0) return run;
    tool.closeStdin();
    pollfd fds[2] = {{tool.stdoutFd(), POLLIN, 0}, {tool.stderrFd(), POLLIN, 0}};
    std::string* into[2] = {&run.out, &run.err};
    for (int open = 2; open > 0;) {
        if (::poll(fds, 2, 60000) <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                into[i]->append(buffer, static_cast<size_t>(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    run.status = tool.waitFor(std::chrono::seconds(60)).value_or(-1);
    return run;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

testing_support::ClipSpec smallClip(std::vector<std::string> texts) {
    testing_support::ClipSpec spec;
    spec.durationSeconds = static_cast<double>(texts.size()) * 0.1 + 1.0;
    spec.trackTexts = std::move(texts);
    spec.withAudio = false;
    spec.width = 64;
    spec.height = 36;
    spec.frameRate = 1;
    return spec;
}

const char* const kExample = "2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50/23.5/X:12/Y:-3/Z:98";
const char* const kHeader =
    "file,index,valid,year,month,day,hour,minute,second,latitude,longitude,speed_kmh,accel_x,accel_y,accel_z,"
    "map_latitude,map_longitude";

class VeltaraTrackTool : public ::testing::Test {
protected:
    // Relative names: the tool is run inside the folder.
    std::string clip(const std::string& name, const testing_support::ClipSpec& spec) {
        EXPECT_EQ(testing_support::makeClip(tmp.path() + name, spec), "");
        return name;
    }
    ToolRun run(const std::vector<std::string>& arguments) { return runTool(arguments, tmp.path()); }

    TempFolder tmp;
};

}  // namespace

TEST_F(VeltaraTrackTool, CsvHoldsEveryRecordWithTheChosenMapDatum) {
    const std::string name =
        clip("a,b \"q\".mp4",
             smallClip({kExample, "no track text here", "2016-05-20 10:30:16/W113 56 12.34/S22 33 44.50/0"}));
    const ToolRun csv = run({name});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.err, "");
    EXPECT_EQ(
        lines(csv.out),
        (std::vector<std::string>{
            kHeader,
            "\"a,b \"\"q\"\".mp4\",0,1,2016,5,20,10,30,15,22.562361,113.936761,43.522,12,-3,98,22.562361,113.936761",
            "\"a,b \"\"q\"\".mp4\",1,0,,,,,,,,,,,,,,",
            // Without axes the parser keeps the previous text's values.
            "\"a,b \"\"q\"\".mp4\",2,1,2016,5,20,10,30,16,-22.562361,-113.936761,0.000,12,-3,98,-22.562361,"
            "-113.936761"}));

    const auto mapColumns = [&](std::vector<std::string> options) {
        options.push_back(name);
        const std::string first = lines(run(options).out).at(1);
        return first.substr(first.size() - 20);
    };
    EXPECT_EQ(mapColumns({"--map", "baidu"}), "22.564996,113.948199");
    EXPECT_EQ(mapColumns({"--map", "google", "--region", "China"}), "22.559336,113.941632");
    EXPECT_EQ(mapColumns({"--map", "google"}), "22.562361,113.936761");
}

TEST_F(VeltaraTrackTool, PlayerSamplingMatchesThePlayersStore) {
    const std::string name = clip("unix:25 cues.mp4", smallClip(testing_support::cameraTrack(25)));
    const ToolRun all = run({"--sampling", "all", name});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(lines(all.out).size(), 26u);
    const ToolRun player = run({"--sampling=player", name});
    ASSERT_EQ(player.status, 0) << player.err;
    const auto rows = lines(player.out);
    ASSERT_EQ(rows.size(), 5u);  // cues 0, 10, 20 and the last one again
    EXPECT_NE(rows[3].find(",10,30,20,"), std::string::npos);
    EXPECT_NE(rows[4].find(",3,1,2016,5,20,10,30,24,"), std::string::npos);
}

TEST_F(VeltaraTrackTool, GeometryFormatsHoldOneTrackPerFile) {
    const std::string a = clip("a&<b>.mp4", smallClip(testing_support::cameraTrack(12)));
    const std::string b = clip("ünï 行车.mp4", smallClip({kExample, "bad", kExample}));
    const ToolRun gpx = run({"--format", "gpx", a, b});
    ASSERT_EQ(gpx.status, 0) << gpx.err;
    EXPECT_EQ(count(gpx.out, "<trk>"), 2u);
    EXPECT_EQ(count(gpx.out, "<trkpt "), 14u);
    EXPECT_NE(gpx.out.find("<name>a&amp;&lt;b&gt;.mp4</name>"), std::string::npos);
    EXPECT_NE(gpx.out.find("<name>ünï 行车.mp4</name>"), std::string::npos);
    EXPECT_EQ(gpx.out.substr(gpx.out.size() - 7), "</gpx>\n");

    const ToolRun kml = run({"--format", "kml", a, b});
    ASSERT_EQ(kml.status, 0);
    EXPECT_EQ(count(kml.out, "<LineString>"), 2u);
    EXPECT_NE(kml.out.find("<coordinates>113.936761,22.562361 113.936761,22.562361</coordinates>"), std::string::npos);

    const ToolRun json = run({"--format", "geojson", a, b});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(count(json.out, "\"type\":\"Feature\""), 2u);
    EXPECT_NE(json.out.find("\"file\":\"a&<b>.mp4\",\"records\":12,\"valid_records\":12"), std::string::npos);
}

TEST_F(VeltaraTrackTool, BadFilesAreNamedAndTheOthersStillWritten) {
    const std::string good = clip("good.mp4", smallClip(testing_support::cameraTrack(5)));
    auto spec = smallClip(testing_support::cameraTrack(5));
    spec.withSubtitle = false;
    const std::string noTrack = clip("no track.mp4", spec);
    tmp.write("notes.mp4", "just some text, not a video\n");
    const std::string cut = clip("cut.mp4", smallClip(testing_support::cameraTrack(50)));
    std::filesystem::resize_file(tmp.path() + cut, std::filesystem::file_size(tmp.path() + cut) / 2);
    tmp.write("locked.mp4", "x");
    std::filesystem::permissions(tmp.path() + "locked.mp4", std::filesystem::perms::none);

    const ToolRun mixed = run({"missing.mp4", noTrack, good, "notes.mp4", cut, "."});
    EXPECT_EQ(mixed.status, 1);
    const auto errors = lines(mixed.err);
    ASSERT_EQ(errors.size(), 5u) << mixed.err;
    EXPECT_EQ(errors[0], "veltara-track: missing.mp4: cannot be read: No such file or directory");
    EXPECT_EQ(errors[1], "veltara-track: no track.mp4: has no subtitle track");
    EXPECT_EQ(errors[2].rfind("veltara-track: notes.mp4: is not a video file", 0), 0u) << errors[2];
    EXPECT_EQ(errors[3].rfind("veltara-track: cut.mp4: is not a video file or is damaged", 0), 0u) << errors[3];
    EXPECT_EQ(errors[4], "veltara-track: .: is a folder, not a video file");
    EXPECT_EQ(lines(mixed.out).size(), 6u);  // the header and the good clip's five records

    if (::geteuid() != 0) {  // root reads anything
        const ToolRun locked = run({"locked.mp4"});
        EXPECT_EQ(locked.status, 1);
        EXPECT_EQ(locked.err, "veltara-track: locked.mp4: cannot be read: Permission denied\n");
    }
    const ToolRun none = run({"--format", "geojson", "missing.mp4"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "{\"type\":\"FeatureCollection\",\"features\":[\n]}\n");
}

TEST_F(VeltaraTrackTool, UsageErrorsExitWithTwoAndWriteNothing) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"--format", "xml", "a.mp4"}, {"a.mp4", "--map"}, {"--bogus", "a.mp4"}}) {
        const ToolRun bad = run(arguments);
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.out, "");
        EXPECT_EQ(bad.err.rfind("veltara-track: ", 0), 0u);
        EXPECT_NE(bad.err.find("Usage: veltara-track"), std::string::npos);
    }
    const ToolRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: veltara-track", 0), 0u);
}
