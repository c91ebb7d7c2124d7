// veltara-track as a user runs it: formats, sampling, map datums, and what
// happens with files that give no track, and with bad command lines.
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "support/CarFolderTree.h"
#include "support/CammPackets.h"
#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/TelemetryClips.h"
#include "support/TempFolder.h"
#include "support/TrackClipBytes.h"
#include "support/TrackOnlyClip.h"
#include "support/VehicleSeiClips.h"
#include "trackindex/NativeTrackReader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <cstring>
#include <filesystem>
#include <sstream>

using testing_support::TempFolder;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the tool from the program folder, reading both outputs as they come;
// with ordinaryUser, as user 65534 when the test runs as root; `program`
// another copy of the tool.
ToolRun runTool(const std::vector<std::string>& arguments, const std::string& workingDirectory = {},
                bool ordinaryUser = false, const std::string& program = {}) {
    std::vector<std::string> argv;
    if (ordinaryUser && ::geteuid() == 0)
        argv = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    argv.push_back(program.empty() ? std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-track" : program);
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
    "file,index,time_ms,valid,year,month,day,hour,minute,second,latitude,longitude,speed_kmh,accel_x,accel_y,accel_z,"
    "map_latitude,map_longitude,plausible,utc,accel_x_g,accel_y_g,accel_z_g,format,steering_deg,accelerator_pct,brake,"
    "indicator_left,indicator_right,gear,assist";

class VeltaraTrackTool : public ::testing::Test {
protected:
    // Relative names: the tool is run inside the folder.
    std::string clip(const std::string& name, const testing_support::ClipSpec& spec) {
        EXPECT_EQ(testing_support::makeClip(tmp.path() + name, spec), "");
        return name;
    }
    ToolRun run(const std::vector<std::string>& arguments, bool ordinaryUser = false) {
        return runTool(arguments, tmp.path(), ordinaryUser);
    }

    TempFolder tmp;
};

}  // namespace

TEST_F(VeltaraTrackTool, CsvHoldsEveryRecordWithTheChosenMapDatum) {
    const std::string name =
        clip("a,b \"q\".mp4",
             smallClip({kExample, "no track text here", "2016-05-20 10:30:16/W113 56 12.34/S22 33 44.50/0"}));
    // The camera's clock, no zone given: its time as it stands, without a Z.
    const ToolRun csv = run({name});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.err, "");
    EXPECT_EQ(
        lines(csv.out),
        (std::vector<std::string>{
            kHeader,
            "\"a,b "
            "\"\"q\"\".mp4\",0,0,1,2016,5,20,10,30,15,22.562361,113.936761,43.522,12,-3,98,22.562361,113.936761,1,"
            "2016-05-20T10:30:15,-5.964,-6.009,-5.706,camera-text,,,,,,,",
            "\"a,b \"\"q\"\".mp4\",1,100,0,,,,,,,,,,,,,,,0,,,,,camera-text,,,,,,,",
            // Without axes the parser keeps the previous text's values.
            "\"a,b \"\"q\"\".mp4\",2,200,1,2016,5,20,10,30,16,-22.562361,-113.936761,0.000,12,-3,98,-22.562361,"
            "-113.936761,1,2016-05-20T10:30:16,-5.964,-6.009,-5.706,camera-text,,,,,,,"}));
    // The converter path gives the same records, without cue times.
    const ToolRun converter = run({"--reader", "ffmpeg", name});
    ASSERT_EQ(converter.status, 0) << converter.err;
    EXPECT_EQ(
        lines(converter.out).at(1),
        "\"a,b \"\"q\"\".mp4\",0,,1,2016,5,20,10,30,15,22.562361,113.936761,43.522,12,-3,98,22.562361,113.936761,1,"
        "2016-05-20T10:30:15,-5.964,-6.009,-5.706,camera-text,,,,,,,");

    const auto mapColumns = [&](std::vector<std::string> options) {
        options.push_back(name);
        const std::string first = lines(run(options).out).at(1);
        return first.substr(first.find(",1,2016-05-20T") - 20, 20);
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
    EXPECT_NE(rows[4].find(",3,2400,1,2016,5,20,10,30,24,"), std::string::npos);
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
    // Records without a single fix: no GPX track to give, and the clip is named.
    const std::string noFix = clip("nofix.mp4", smallClip(std::vector<std::string>(
        5, "2016-05-20 10:30:20/E0 00 00.00/N0 00 00.00/0.0/X:2000/Y:2000/Z:2333")));
    const ToolRun blind = run({"--format", "gpx", a, noFix});
    EXPECT_EQ(blind.status, 1);
    EXPECT_NE(blind.err.find("nofix.mp4: has no position fix"), std::string::npos) << blind.err;
    EXPECT_EQ(count(blind.out, "<trkpt "), 12u);

    const ToolRun kml = run({"--format", "kml", a, b});
    ASSERT_EQ(kml.status, 0);
    EXPECT_EQ(count(kml.out, "<gx:Track>"), 2u);
    EXPECT_EQ(count(kml.out, "<gx:coord>113.936761 22.562361 0</gx:coord>"), 3u);

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

    const ToolRun mixed = run({"missing.mp4", noTrack, good, "notes.mp4", cut});
    EXPECT_EQ(mixed.status, 1);
    const auto errors = lines(mixed.err);
    ASSERT_EQ(errors.size(), 4u) << mixed.err;
    EXPECT_EQ(errors[0], "veltara-track: missing.mp4: cannot be read: No such file or directory");
    EXPECT_EQ(errors[1], "veltara-track: no track.mp4: no GPS data found");
    EXPECT_EQ(errors[2].rfind("veltara-track: notes.mp4: is not a video file", 0), 0u) << errors[2];
    EXPECT_EQ(errors[3], "veltara-track: cut.mp4: cut short (no index)");
    EXPECT_EQ(lines(mixed.out).size(), 6u);  // the header and the good clip's five records

    if (::geteuid() != 0) {  // root reads anything
        const ToolRun locked = run({"locked.mp4"});
        EXPECT_EQ(locked.status, 1);
        EXPECT_EQ(locked.err, "veltara-track: locked.mp4: cannot be read: Permission denied\n");
    }
#ifndef __SANITIZE_THREAD__  // two million cues take minutes under the thread checker, and share no thread
    // A clip with more cues than are read says so and is not taken as whole.
    ASSERT_EQ(testing_support::writeTrackOnlyClip(tmp.path() + "flood.mp4", NativeTrackReader::CUE_LIMIT + 1, 10,
                                                  [](size_t) { return std::string("A"); }),
              "");
    const ToolRun flood = run({"--events", "flood.mp4"});
    EXPECT_EQ(flood.status, 1);
    EXPECT_EQ(flood.err, "veltara-track: flood.mp4: has more than 2000000 track cues; only the first ones are read\n");
#endif

    const ToolRun none = run({"--format", "geojson", "missing.mp4"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "{\"type\":\"FeatureCollection\",\"features\":[\n]}\n");
}

TEST_F(VeltaraTrackTool, WhatAFolderWalkPassesOverIsNamedWithItsReason) {
    std::filesystem::create_directories(tmp.path() + "plain/folder.mp4");
    std::filesystem::create_directories(tmp.path() + "empty");
    std::filesystem::create_directories(tmp.path() + "closed");
    clip("plain/a.mp4", smallClip(testing_support::cameraTrack(3)));
    const ToolRun plain = run({"plain", "empty"});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.err,
              "veltara-track: plain/folder.mp4: is a folder, not a clip\n"
              "veltara-track: empty: is an empty folder\n");
    EXPECT_EQ(lines(plain.out).size(), 4u);

    // Deeper than the system's path limit.
    std::filesystem::create_directories(tmp.path() + "deep");
    int folder = ::open((tmp.path() + "deep").c_str(), O_DIRECTORY | O_RDONLY);
    const std::string level(200, 'd');
    for (int i = 0; i < 25 && folder >= 0; ++i) {
        ::mkdirat(folder, level.c_str(), 0755);
        const int next = ::openat(folder, level.c_str(), O_DIRECTORY | O_RDONLY);
        ::close(folder);
        folder = next;
    }
    ASSERT_GE(folder, 0);
    ::close(::openat(folder, "clip.mp4", O_CREAT | O_WRONLY, 0644));
    ::close(folder);
    const ToolRun deep = run({"-r", "deep"});
    EXPECT_EQ(deep.status, 1);
    EXPECT_NE(deep.err.find("the path is too long ("), std::string::npos) << deep.err.substr(0, 300);
    // Removed level by level: a path that long cannot be named whole.
    for (int depth = 25; depth >= 0; --depth) {
        int at = ::open((tmp.path() + "deep").c_str(), O_DIRECTORY | O_RDONLY);
        for (int i = 0; i < depth && at >= 0; ++i) {
            const int next = ::openat(at, level.c_str(), O_DIRECTORY | O_RDONLY);
            ::close(at);
            at = next;
        }
        if (at < 0) continue;
        ::unlinkat(at, "clip.mp4", 0);
        ::unlinkat(at, level.c_str(), AT_REMOVEDIR);
        ::close(at);
    }

    // A folder that can be listed but not entered.
    clip("closed/b.mp4", smallClip(testing_support::cameraTrack(3)));
    std::filesystem::permissions(tmp.path() + "closed", std::filesystem::perms::owner_read);
    if (::geteuid() == 0) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(tmp.path()))
            (void)::lchown(entry.path().c_str(), 65534, 65534);
        (void)::chown(tmp.path().c_str(), 65534, 65534);
    }
    const ToolRun closed = run({"closed"}, true);
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "veltara-track: closed: cannot be entered: Permission denied\n");
    std::filesystem::permissions(tmp.path() + "closed", std::filesystem::perms::owner_all);
}

TEST_F(VeltaraTrackTool, UsageErrorsExitWithTwoAndWriteNothing) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{},
                                                                       {"--format", "xml", "a.mp4"},
                                                                       {"a.mp4", "--map"},
                                                                       {"--bogus", "a.mp4"},
                                                                       {"--json", "a.mp4"},
                                                                       {"--events", "--trips", "a.mp4"}}) {
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

TEST_F(VeltaraTrackTool, TripsOfTwoDrivesWithFrontAndRearChannels) {
    // Two drives an hour apart, each two one-minute clips per channel; the
    // clips live in subfolders, as cameras store them.
    std::filesystem::create_directories(tmp.path() + "DCIM/Front");
    std::filesystem::create_directories(tmp.path() + "DCIM/Rear");
    tmp.write("DCIM/notes.txt", "not a clip");
    auto track = [](int hour, int minute) {
        std::vector<std::string> texts;
        for (int s = 0; s < 60; s += 6) {
            char text[128];
            // Northward at 0.06" a second (about 1.85 m/s) from the start of the drive.
            std::snprintf(text, sizeof text, "2026-12-07 %02d:%02d:%02d/E008 00 00.00/N47 00 %05.2f/3.6/X:1/Y:2/Z:3",
                          hour, minute, s, ((minute % 30) * 60 + s) * 0.06);
            texts.push_back(text);
        }
        auto spec = smallClip(texts);
        spec.cueSeconds = 6.0;  // a text every 6 s, as the clock says
        spec.durationSeconds = 61.0;
        return spec;
    };
    for (const char* channel : {"F", "R"}) {
        const std::string folder = std::string("DCIM/") + (channel[0] == 'F' ? "Front/" : "Rear/");
        for (const auto& [hour, minute] : std::vector<std::pair<int, int>>{{10, 0}, {10, 1}, {11, 30}, {11, 31}}) {
            char name[64];
            std::snprintf(name, sizeof name, "2026_1207_%02d%02d00_%s.MP4", hour, minute, channel);
            clip(folder + name, track(hour, minute));
        }
    }
    const ToolRun flat = run({"--trips", "--json", "DCIM"});
    EXPECT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(flat.out, "[]\n");

    const ToolRun json = run({"--trips", "--json", "-r", "DCIM"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto rows = lines(json.out);
    ASSERT_EQ(rows.size(), 6u) << json.out;
    EXPECT_EQ(rows[1],
              "{\"channel\":\"F\",\"clips\":[\"2026_1207_100000_F.MP4\",\"2026_1207_100100_F.MP4\"],"
              "\"start\":\"2026-12-07 10:00:00\",\"end\":\"2026-12-07 10:01:54\",\"duration_s\":114,"
              "\"distance_m\":211.3,\"max_speed_kmh\":6.7,\"avg_speed_kmh\":6.7,\"events\":[]},");
    EXPECT_NE(rows[2].find("\"channel\":\"F\",\"clips\":[\"2026_1207_113000_F.MP4\",\"2026_1207_113100_F.MP4\"]"),
              std::string::npos);
    EXPECT_NE(rows[3].find("\"channel\":\"R\",\"clips\":[\"2026_1207_100000_R.MP4\""), std::string::npos);
    EXPECT_NE(rows[4].find("\"channel\":\"R\",\"clips\":[\"2026_1207_113000_R.MP4\""), std::string::npos);

    const ToolRun table = run({"--trips", "-r", "DCIM"});
    ASSERT_EQ(table.status, 0) << table.err;
    const auto tableRows = lines(table.out);
    ASSERT_EQ(tableRows.size(), 5u) << table.out;
    EXPECT_EQ(tableRows[0].rfind("channel  start", 0), 0u) << tableRows[0];
    EXPECT_NE(tableRows[1].find("0:01:54"), std::string::npos) << tableRows[1];
    EXPECT_NE(tableRows[1].find(" km/h"), std::string::npos);
}

TEST_F(VeltaraTrackTool, TheIndexGivesTheSameTrackAndSurvivesABadFile) {
    const std::string cache = tmp.path() + "cache";
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    const std::string name = clip("indexed.mp4", smallClip(testing_support::cameraTrack(30)));
    auto noTrackSpec = smallClip({kExample});
    noTrackSpec.withSubtitle = false;
    const std::string noTrack = clip("none.mp4", noTrackSpec);
    const ToolRun plain = run({name});
    const ToolRun first = run({"--index", name, noTrack});
    const ToolRun second = run({"--index", name, noTrack});
    EXPECT_TRUE(std::filesystem::exists(cache + "/veltara-dvr-player/track-index.sqlite"));
    EXPECT_EQ(first.status, 1);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.out, plain.out + "");
    EXPECT_EQ(first.out, plain.out);
    EXPECT_EQ(second.err, "veltara-track: none.mp4: no GPS data found\n");

    // A garbage index is set aside with one message and a new one is used.
    std::filesystem::remove_all(cache);
    std::filesystem::create_directories(cache + "/veltara-dvr-player");
    tmp.write("cache/veltara-dvr-player/track-index.sqlite", std::string(8192, 'x'));
    const ToolRun garbage = run({"--index", name, name});
    EXPECT_EQ(garbage.status, 0);
    EXPECT_EQ(lines(garbage.out).size(), 61u);
    EXPECT_EQ(count(garbage.err, "the track index was damaged"), 1u) << garbage.err;
    EXPECT_EQ(count(garbage.err, "set aside as "), 1u) << garbage.err;
    EXPECT_TRUE(std::filesystem::exists(cache + "/veltara-dvr-player/track-index.sqlite.damaged"));
    EXPECT_EQ(run({"--index", name}).err, "");
    ::unsetenv("XDG_CACHE_HOME");
}

TEST_F(VeltaraTrackTool, EventsOfADriveWithABrakingAndABump) {
    auto spec = smallClip(testing_support::incidentTrack(60));
    spec.cueSeconds = 0.2;
    spec.durationSeconds = 61.0;
    clip("2026_1207_100000_F.MP4", spec);

    const ToolRun json = run({"--events", "--json", "."});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto rows = lines(json.out);
    ASSERT_EQ(rows.size(), 4u) << json.out;
    // The braking at its middle (within a second), the bump where it was.
    EXPECT_EQ(rows[1].rfind("{\"clip\":\"2026_1207_100000_F.MP4\",\"time_s\":", 0), 0u) << rows[1];
    const double brakeAt = std::stod(rows[1].substr(rows[1].find("time_s") + 8));
    EXPECT_NEAR(brakeAt, 30.0, 1.0);
    EXPECT_NE(rows[1].find("\"kind\":\"brake\",\"peak_g\":0.6"), std::string::npos) << rows[1];
    EXPECT_EQ(rows[2], "{\"clip\":\"2026_1207_100000_F.MP4\",\"time_s\":45.0,\"kind\":\"impact\",\"peak_g\":2.50}");

    // The trips carry the same events; the table names them.
    const ToolRun trips = run({"--trips", "--json", "."});
    ASSERT_EQ(trips.status, 0) << trips.err;
    EXPECT_NE(trips.out.find("\"events\":[" + rows[1].substr(0, rows[1].size() - 1) + "," + rows[2] + "]}"),
              std::string::npos)
        << trips.out;
    const ToolRun table = run({"--events", "."});
    ASSERT_EQ(table.status, 0) << table.err;
    const auto tableRows = lines(table.out);
    ASSERT_EQ(tableRows.size(), 3u) << table.out;
    EXPECT_EQ(tableRows[0].rfind("channel  clip", 0), 0u) << tableRows[0];
    EXPECT_NE(tableRows[2].find("0:45.0  impact  2.50 G"), std::string::npos) << tableRows[2];

    // The player's settings: the user's file, or the one named.
    const std::string home = tmp.path() + "home";
    tmp.write("home/Documents/Veltara DVR Player/conf/Tavimoor.ini", "[Events]\nImpactG=3.0\n");
    tmp.write("other.ini", "[Events]\nBrakeG=2.0\n");
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    const ToolRun user = run({"--events", "--json", "."});
    const ToolRun named = run({"--events", "--json", "--config", "other.ini", "."});
    const ToolRun missing = run({"--events", "--config", "none.ini", "."});
    ::setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(user.out, rows[0] + "\n" + rows[1].substr(0, rows[1].size() - 1) + "\n" + rows[3] + "\n");
    EXPECT_EQ(named.out, rows[0] + "\n" + rows[2] + "\n" + rows[3] + "\n");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "veltara-track: none.ini: cannot be read\n");
}

TEST_F(VeltaraTrackTool, ReadsEveryCameraLayoutInfoAndGpxInUtc) {
    using testing_support::ClipLayout;
    const std::vector<std::pair<ClipLayout, std::string>> layouts{
        {ClipLayout::CameraText, "camera-text"}, {ClipLayout::Novatek, "novatek"},
        {ClipLayout::NovatekV3, "novatek-v3"},   {ClipLayout::NovatekDoubles, "novatek-doubles"},
        {ClipLayout::Nmea, "nmea"},              {ClipLayout::Thinkware, "thinkware"},
        {ClipLayout::BlackVue, "blackvue"},      {ClipLayout::Gpmf, "gpmf"},
        {ClipLayout::GpmfGps9, "gpmf"},          {ClipLayout::Camm, "camm"},
        {ClipLayout::Garmin, "garmin"},          {ClipLayout::SeventyMai, "70mai"}};
    testing_support::TelemetryClipSpec spec;
    spec.drive = testing_support::madeUpDrive({.seconds = 12, .noFixFirst = 2});
    const size_t fixes = 10;
    std::vector<std::string> names;
    for (const auto& [layout, format] : layouts) {
        spec.layout = layout;
        names.push_back(std::to_string(names.size()) + "-" + format + ".mp4");
        ASSERT_EQ(testing_support::makeTelemetryClip(tmp.path() + names.back(), spec), "") << names.back();
    }
    tmp.write("plain.mp4", "");
    const ToolRun info = run({"--info", "--json", "."});
    EXPECT_EQ(info.status, 1) << info.err;  // the empty file
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::string name = names[i];
        const size_t at = info.out.find("\"path\": \"./" + name + "\", \"format\": \"" + layouts[i].second + "\"");
        ASSERT_NE(at, std::string::npos) << name << "\n" << info.out;
        EXPECT_NE(info.out.find("\"fixes\": " + std::to_string(fixes), at), std::string::npos) << name;

        const ToolRun gpx = run({"--format", "gpx", name});
        ASSERT_EQ(gpx.status, 0) << name << ": " << gpx.err;
        EXPECT_EQ(count(gpx.out, "<trkpt"), fixes) << name;
        // GPS time is UTC; a camera's clock of no given zone is written without one.
        const bool utc = info.out.find("\"time_kind\": \"utc\"", at) < info.out.find("\"path\"", at + 1);
        const std::string zone = utc ? "Z" : "";
        EXPECT_NE(gpx.out.find("<time>2026-12-07T10:00:02" + zone + "</time>"), std::string::npos) << name << gpx.out;
        EXPECT_NE(gpx.out.find("<time>2026-12-07T10:00:11" + zone + "</time>"), std::string::npos) << name;
    }
}

TEST_F(VeltaraTrackTool, SensorsAtTheirOwnRatesGiveNoInventedValuesAndTimesKeepTheirMilliseconds) {
    using namespace testing_support;
    const double t0 = gpsSeconds(kDriveStartUtcMs);
    // Ten fixes a second, a G reading twice a second (a camera whose
    // accelerometer runs slower than its GPS).
    TrackClipSpec fast;
    fast.sampleEntry = "camm";
    for (int i = 0; i < 20; ++i) {
        std::string sample = cammGps(t0 + i / 10.0, 3, 48.1 + i * 1e-4, 11.5, 0, 10.0f);
        if (i % 5 == 0) sample += cammAccel(0, 0, static_cast<float>(kGravity));
        fast.samples.push_back(sample);
        fast.durations.push_back(100);
    }
    tmp.write("fast.mp4", trackClipBytes(fast));
    // A fix once a second, G ten times a second (as a BlackVue writes them).
    TrackClipSpec slow = fast;
    slow.samples.clear();
    for (int i = 0; i < 20; ++i) {
        std::string sample;
        if (i % 10 == 0) sample = cammGps(t0 + i / 10.0, 3, 48.1 + i * 1e-4, 11.5, 0, 10.0f);
        slow.samples.push_back(sample + cammAccel(0, 0, static_cast<float>(kGravity)));
    }
    tmp.write("slow.mp4", trackClipBytes(slow));
    // The fast clip whose clock jumps an hour halfway.
    TrackClipSpec jump = fast;
    for (int i = 10; i < 20; ++i)
        jump.samples[i] = cammGps(t0 + 3600 + i / 10.0, 3, 48.1 + i * 1e-4, 11.5, 0, 10.0f);
    tmp.write("jump.mp4", trackClipBytes(jump));

    const ToolRun gpx = run({"--format", "gpx", "fast.mp4"});
    ASSERT_EQ(gpx.status, 0) << gpx.err;
    std::vector<std::string> times;
    for (size_t at = gpx.out.find("<time>"); at != std::string::npos; at = gpx.out.find("<time>", at + 1))
        times.push_back(gpx.out.substr(at + 6, 24));
    ASSERT_EQ(times.size(), 20u) << gpx.out;
    EXPECT_EQ(times[1], "2026-12-07T10:00:00.100Z");
    for (size_t i = 1; i < times.size(); ++i) EXPECT_LT(times[i - 1], times[i]) << i;
    EXPECT_EQ(count(gpx.out, "<veltara:accel_z>"), 4u);

    const ToolRun csv = run({"fast.mp4", "slow.mp4"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::string> rows = lines(csv.out);
    ASSERT_EQ(rows.size(), 41u) << csv.out;
    const auto field = [](const std::string& row, size_t n) {
        std::istringstream in(row);
        std::string f;
        for (size_t i = 0; i <= n; ++i) std::getline(in, f, ',');
        return f;
    };
    size_t withG = 0, valid = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        EXPECT_EQ(row.find(",0.000,0.000,0.000,"), std::string::npos) << row;  // never zero G
        EXPECT_NE(field(row, 19).find('.'), std::string::npos) << row;        // the utc's milliseconds
        withG += !field(row, 20).empty();
        if (field(row, 3) == "1") {
            ++valid;
        } else {
            // No fix: no place (never 0/0) and no speed.
            EXPECT_TRUE(field(row, 10).empty() && field(row, 11).empty() && field(row, 12).empty()) << row;
        }
    }
    EXPECT_EQ(withG, 4u + 20u);
    EXPECT_EQ(valid, 20u + 2u);
    EXPECT_NE(csv.out.find("fast.mp4,1,100,1,2026,12,7,10,0,0,"), std::string::npos) << csv.out;
    EXPECT_NE(csv.out.find(",2026-12-07T10:00:00.100Z,"), std::string::npos);
    // Times that jump are kept in the clip's order and said once.
    const ToolRun info = run({"--info", "--json", "fast.mp4", "jump.mp4"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(count(info.out, "\"order\": null"), 1u) << info.out;
    EXPECT_NE(info.out.find("\"order\": \"times that jump, kept as the clip has them\""), std::string::npos);
    EXPECT_EQ(count(run({"--format", "gpx", "jump.mp4"}).out, "<trkpt"), 20u);
    // The slow clip's moments of G alone: no position, no speed, but their G
    // (as counts of the chart's scale, and in G as the camera gave it).
    const std::string slowRow = rows[22];
    EXPECT_NE(slowRow.find(",0,2026,12,7,10,0,0,,,,2000,2000,2333,"), std::string::npos) << slowRow;
    EXPECT_NE(slowRow.find(",0.000,0.000,1.000,camm"), std::string::npos) << slowRow;
}

TEST_F(VeltaraTrackTool, ACarsOwnDataIsVehicleSeiOnTheCarsClock) {
    const std::string name = "2026-12-07_10-15-22-front.mp4";
    ASSERT_EQ(testing_support::makeVehicleClip(tmp.path() + name), "");
    const ToolRun info = run({"--info", name});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "path\tformat\tsamples\tfixes\tfirst\tlast\ttime\tg_sensor\torder\n" + name +
                            "\tvehicle-sei\t72\t72\t2026-12-07T10:15:22\t2026-12-07T10:15:23\tcamera\tyes\t-\n");

    // The car's channels: appended CSV columns with every frame's generated values.
    const ToolRun csv = run({"--format", "csv", name});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const std::vector<std::string> rows = lines(csv.out);
    ASSERT_EQ(rows.size(), 73u);
    const std::string tail = "format,steering_deg,accelerator_pct,brake,indicator_left,indicator_right,gear,assist";
    EXPECT_EQ(rows[0].substr(rows[0].size() - tail.size()), tail);
    const char* const gears[] = {"P", "D", "R", "N"};
    const char* const assists[] = {"none", "self-driving", "autosteer", "traffic-aware-cruise"};
    for (int k = 0; k < 72; ++k) {
        std::vector<std::string> cells;
        std::istringstream in(rows[static_cast<size_t>(k) + 1]);
        for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
        ASSERT_EQ(cells.size(), 31u) << rows[static_cast<size_t>(k) + 1];
        const VehicleFrame f = testing_support::vehicleFrameAt(k);
        EXPECT_EQ(cells[23], "vehicle-sei");
        EXPECT_DOUBLE_EQ(std::stod(cells[24]), f.steeringDeg) << k;
        EXPECT_DOUBLE_EQ(std::stod(cells[25]), f.acceleratorPct) << k;
        EXPECT_EQ(cells[26], f.brake ? "1" : "0") << k;
        EXPECT_EQ(cells[27], f.indicatorLeft ? "1" : "0") << k;
        EXPECT_EQ(cells[28], f.indicatorRight ? "1" : "0") << k;
        EXPECT_EQ(cells[29], gears[f.gear]) << k;
        EXPECT_EQ(cells[30], assists[f.assist]) << k;
    }
    // Another camera's rows leave them empty.
    const std::string other = clip("2016_0520_103000_F.MP4", testing_support::driveClip(0));
    const ToolRun plain = run({"--format", "csv", other});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(lines(plain.out).at(1).substr(lines(plain.out).at(1).size() - 7), ",,,,,,,");

    // GPX: the same channels as extensions of ours, valid GPX 1.1.
    const ToolRun gpx = run({"--format", "gpx", name});
    ASSERT_EQ(gpx.status, 0) << gpx.err;
    const std::string& written = gpx.out;
    EXPECT_EQ(count(written, "<veltara:brake>"), 72u);
    EXPECT_NE(written.find("<veltara:steering_deg>-45.00</veltara:steering_deg><veltara:accelerator_pct>0.50"
                           "</veltara:accelerator_pct><veltara:brake>1</veltara:brake><veltara:indicator_left>0"
                           "</veltara:indicator_left><veltara:indicator_right>0</veltara:indicator_right>"
                           "<veltara:gear>P</veltara:gear><veltara:assist>none</veltara:assist>"),
              std::string::npos);
    int status = -1;
    const std::string complaint = testing_support::commandOutput(
        {"/usr/bin/xmllint", "--noout", "--schema", std::string(VELTARA_TEST_SOURCE_DIR) + "tests/tools/gpx-1.1-track.xsd",
         tmp.write("car.gpx", written)},
        tmp.path(), status);
    EXPECT_EQ(status, 0) << complaint;
}

namespace {

// The bottom sixth of a frame of a video, as 64x8 grey bytes.
std::string band(const std::string& video, double seconds) {
    char at[32];
    std::snprintf(at, sizeof at, "%.2f", seconds);
    platform::ChildProcess ffmpeg;
    if (ffmpeg.start({std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg", "-v", "error", "-ss", at, "-i", video,
                      "-frames:v", "1", "-vf", "crop=iw:ih/6:0:ih*5/6,scale=64:8", "-f", "rawvideo", "-pix_fmt",
                      "gray", "-"}) != 0)
        return {};
    ffmpeg.closeStdin();
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(ffmpeg.stdoutFd(), buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    ffmpeg.waitFor(std::chrono::seconds(30));
    return out;
}



}  // namespace

TEST_F(VeltaraTrackTool, ExportsAStretchAcrossTwoClipsWithItsDataReportAndChecksums) {
    // The report is painted by a Qt program, which builds of the core alone lack.
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    const std::string a = clip("2016_0520_103000_F.MP4", testing_support::driveClip(0));
    const std::string b = clip("2016_0520_103040_F.MP4", testing_support::driveClip(40));
    const std::string out = tmp.path() + "exports";
    const ToolRun exported = run({"--export", "--from", a + "@30", "--duration", "30", "--out", out, a, b});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string folder = lines(exported.out).at(0);
    EXPECT_EQ(folder.rfind(out + "/", 0), 0u) << folder;

    int status = 0;
    const std::string length = testing_support::commandOutput({"/usr/bin/ffprobe", "-v", "error", "-show_entries", "format=duration",
                                              "-of", "csv=p=0", "video.mp4"},
                                             folder, status);
    EXPECT_NEAR(std::atof(length.c_str()), 30.0, 0.5) << length;
    // The band carries the data: it differs from the source's at the same moment.
    const std::string burned = band(folder + "video.mp4", 15.5);
    const std::string source = band(tmp.path() + b, 5.5);
    ASSERT_EQ(burned.size(), 512u);
    ASSERT_EQ(source.size(), 512u);
    int differing = 0;
    for (size_t i = 0; i < burned.size(); ++i) differing += std::abs(burned[i] - source[i]) > 24 ? 1 : 0;
    EXPECT_GT(differing, 20);

    // Exactly the fixes of the stretch: 10:30:30 to 10:30:59, from both clips.
    const std::string gpx = tmp.read(folder.substr(tmp.path().size()) + "track.gpx");
    EXPECT_EQ(count(gpx, "<trkpt"), 30u);
    // The camera's clock, no zone given: its times as they stand, and the file says so.
    EXPECT_EQ(count(gpx, "<time>2016-05-20T10:30:30</time>"), 1u);
    EXPECT_EQ(count(gpx, "<time>2016-05-20T10:30:59</time>"), 1u);
    EXPECT_EQ(count(gpx, "<time>2016-05-20T10:31:00</time>"), 0u);
    EXPECT_EQ(count(gpx, "<metadata>\n    <desc>Times with a Z are UTC from GPS."), 1u);
    EXPECT_EQ(lines(tmp.read(folder.substr(tmp.path().size()) + "track.csv")).size(), 31u);

    const std::string report = testing_support::commandOutput({"/usr/bin/pdftotext", "report.pdf", "-"}, folder, status);
    EXPECT_EQ(status, 0) << report;
    EXPECT_NE(report.find("Distance"), std::string::npos) << report;
    EXPECT_NE(report.find(" km"), std::string::npos) << report;
    EXPECT_NE(report.find("Top speed"), std::string::npos);
    EXPECT_NE(report.find("km/h"), std::string::npos);
    const std::string check = testing_support::commandOutput({"/usr/bin/sha256sum", "-c", "SHA256SUMS"}, folder, status);
    EXPECT_EQ(status, 0) << check;
    EXPECT_EQ(count(check, ": OK"), 6u) << check;  // no frames.md5 without the originals

    // The original frames: copied, cut at the key frames around the stretch;
    // a relative folder is one of the working directory. Signed with a key
    // whose password is in a file, and a time-stamp request beside.
    const bool openssl = std::filesystem::exists("/usr/bin/openssl");
    std::vector<std::string> seal = {"--timestamp-request"};
    if (openssl) {
        tmp.write("password", "pass word\n");
        testing_support::commandOutput({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                                        "ec_paramgen_curve:P-256", "-keyout", "key.pem", "-passout", "file:password",
                                        "-out", "cert.pem", "-days", "2", "-subj", "/CN=Exporter"},
                                       tmp.path(), status);
        ASSERT_EQ(status, 0);
        seal.insert(seal.end(), {"--sign", "key.pem", "--cert", "cert.pem", "--key-password-file", "password"});
    }
    std::vector<std::string> arguments = {"--export", "--from", "2016-05-20T10:30:35", "--duration", "20",
                                          "--out", "cliexp/bv", "--no-overlay", a, b};
    arguments.insert(arguments.begin() + 1, seal.begin(), seal.end());
    const ToolRun copied = run(arguments);
    ASSERT_EQ(copied.status, 0) << copied.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(lines(copied.out).at(0) + "SHA256SUMS.tsq"));
    if (openssl) {
        const std::string verified = testing_support::commandOutput(
            {"/usr/bin/openssl", "cms", "-verify", "-binary", "-content", "SHA256SUMS", "-inform", "DER", "-in",
             "SHA256SUMS.p7s", "-CAfile", tmp.path() + "cert.pem", "-out", "/dev/null"},
            lines(copied.out).at(0), status);
        EXPECT_EQ(status, 0) << verified;
    }
    EXPECT_EQ(lines(copied.out).at(0).rfind(tmp.path() + "cliexp/bv/", 0), 0u) << copied.out;
    testing_support::commandOutput({"/usr/bin/sha256sum", "-c", "SHA256SUMS"}, lines(copied.out).at(0), status);
    EXPECT_EQ(status, 0);
}

// What a receiver reads in the report: the reference fields as plain text,
// the times in the zone given with the zone written, the places as
// coordinates, the incident, the video's real length, the software and the
// camera clock's offset (the clip's creation time is the camera's clock, an
// hour ahead of GPS UTC). The folder is named after the incident.
TEST_F(VeltaraTrackTool, TheReportGivesWhatAReceiverNeedsAndTheFolderIsNamedAfterTheIncident) {
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    testing_support::TelemetryClipSpec spec;
    spec.layout = testing_support::ClipLayout::GpmfGps9;
    spec.withVideo = true;
    spec.creationUnixSeconds = testing_support::kDriveStartUtcMs / 1000 + 3600;
    ASSERT_EQ(testing_support::makeTelemetryClip(tmp.path() + "drive.mp4", spec), "");
    // "ffl": copied out of the report as the letters, never as a ligature.
    const std::string hostile = "C-42 <b>x</b> &amp; waffle\x01" + std::string(3000, 'z');
    const ToolRun exported = run({"--export", "--from", "drive.mp4@45", "--duration", "10", "--no-overlay",
                                  "--utc-offset", "+01:00", "--case", hostile, "--vehicle", "B-XY 123", "--note",
                                  "line one\nline two", "--out", "out", "drive.mp4"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string folder = lines(exported.out).at(0);
    EXPECT_NE(folder.find("/out/2026-12-07 11-00-5"), std::string::npos) << folder;
    EXPECT_EQ(folder.substr(folder.size() - 8), " Impact/") << folder;

    int status = 0;
    const double video = std::atof(testing_support::commandOutput({"/usr/bin/ffprobe", "-v", "error", "-show_entries",
                                                                    "format=duration", "-of", "csv=p=0", "video.mp4"},
                                                                   folder, status).c_str());
    EXPECT_GT(video, 9.5);  // the original frames, from the key frame before the stretch
    const std::string report =
        testing_support::commandOutput({"/usr/bin/pdftotext", "-raw", "report.pdf", "-"}, folder, status);
    ASSERT_EQ(status, 0) << report;
    char length[32];
    std::snprintf(length, sizeof length, "(%.1f s)", video);
    EXPECT_NE(report.find(length), std::string::npos) << length << "\n" << report;
    EXPECT_NE(report.find("Case C-42 <b>x</b> &amp; waffle zzz"), std::string::npos) << report;
    EXPECT_EQ(report.find(std::string(2100, 'z')), std::string::npos);
    EXPECT_NE(report.find("Vehicle B-XY 123"), std::string::npos) << report;
    EXPECT_NE(report.find("Note line one line two"), std::string::npos) << report;
    EXPECT_NE(report.find("Start 2026-12-07 11:00:45 +01:00 (GPS time)"), std::string::npos) << report;
    for (const char* label : {"Start position ", "End position ", "Incident position "}) {
        const size_t at = report.find(label);
        ASSERT_NE(at, std::string::npos) << label << report;
        const std::string place = report.substr(at + std::strlen(label), 30);
        EXPECT_TRUE(place.size() > 24 && place[2] == '.' && place.substr(9, 6) == "\xC2\xB0 N, ") << place;
    }
    EXPECT_NE(report.find("Incident Impact, at 5.0 s,"), std::string::npos) << report;
    EXPECT_NE(report.find("+01:00 (GPS time)"), std::string::npos);
    EXPECT_NE(report.find("Software veltara-track "), std::string::npos) << report;
    EXPECT_NE(report.find("FFmpeg"), std::string::npos);
    EXPECT_NE(report.find(" UTC ("), std::string::npos) << report;  // made: UTC and local
    EXPECT_NE(report.find("Camera clock +3600.0 s ahead of UTC (median of "), std::string::npos) << report;
    EXPECT_NE(report.find("Time zone used +01:00"), std::string::npos) << report;
    EXPECT_NE(report.find("seconds into the stretch"), std::string::npos);
    EXPECT_NE(report.find("km/h"), std::string::npos);

    // A custody log in the input is printed; an input without the newer fields still makes a report.
    tmp.write("custody.json", "{\"hasData\":false,\"clips\":[],\"custody\":[\"{\\\"action\\\":\\\"acquired\\\"}\"]}");
    testing_support::commandOutput(
        {std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report", "custody.json", "custody.pdf"}, tmp.path(),
        status);
    ASSERT_EQ(status, 0);
    const std::string printed =
        testing_support::commandOutput({"/usr/bin/pdftotext", "-raw", "custody.pdf", "-"}, tmp.path(), status);
    EXPECT_NE(printed.find("Custody log\n{\"action\":\"acquired\"}"), std::string::npos) << printed;
}

TEST_F(VeltaraTrackTool, AnExportThatCannotBeCoveredSaysWhyAndLeavesNothing) {
    const std::string a = clip("2016_0520_103000_F.MP4", testing_support::driveClip(0));
    tmp.write("2016_0520_103040_F.MP4", std::string(4096, 'x'));
    const std::string out = "cliexp/bv";  // made for the export, so taken away with it
    struct Case {
        std::vector<std::string> arguments;
        std::string reason;
    };
    for (const Case& c : std::vector<Case>{
             {{a}, "beyond its end; the clips given do not cover it"},
             {{a, "2016_0520_103040_F.MP4"}, "2016_0520_103040_F.MP4: at 10"},
             {{a, "missing.MP4"}, "missing.MP4"},
             {{"--sign", "2016_0520_103040_F.MP4", "--cert", "2016_0520_103040_F.MP4", a}, "not a private key"},
         }) {
        std::vector<std::string> arguments = {"--export", "--from", a + "@30", "--duration", "30", "--out", out};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ToolRun failed = run(arguments);
        EXPECT_EQ(failed.status, 1) << failed.err;
        EXPECT_NE(failed.err.find(c.reason), std::string::npos) << failed.err;
        EXPECT_EQ(failed.out, "");
        EXPECT_FALSE(std::filesystem::exists(tmp.path() + "cliexp"));
    }
    // FFmpeg fails once the folders are made: they go too.
    std::filesystem::create_directories(tmp.path() + "program/FFMpeg");
    std::filesystem::copy_file(std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-track", tmp.path() + "program/veltara-track");
    std::filesystem::create_symlink("/bin/false", tmp.path() + "program/FFMpeg/ffmpeg");
    const ToolRun failed = runTool({"--export", "--from", a + "@30", "--duration", "5", "--out", out, a}, tmp.path(),
                                   false, tmp.path() + "program/veltara-track");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("FFmpeg failed"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(tmp.path() + "cliexp"));
}

TEST_F(VeltaraTrackTool, EachCameraFamilysDriveIsOneTripPerChannel) {
    // Two one-minute clips per channel, named as each family names them; a
    // trip joins the clips of one channel only.
    auto track = [](int minute) {
        return [minute](size_t s) {
            char text[128];
            std::snprintf(text, sizeof text, "2026-12-07 09:%02d:%02zu/E008 00 00.00/N47 00 %05.2f/3.6/X:1/Y:2/Z:3",
                          minute, s, static_cast<double>((minute - 15) * 60 + static_cast<int>(s)) * 0.06);
            return std::string(text);
        };
    };
    struct Family {
        std::string folder;
        std::vector<std::pair<std::string, std::string>> drives;  // per channel: its two clips
    };
    const std::vector<Family> families = {
        {"viofo", {{"2026_1207_091500_0001F.MP4", "2026_1207_091600_0002F.MP4"},
                   {"2026_1207_091500_0001R.MP4", "2026_1207_091600_0002R.MP4"}}},
        {"blackvue", {{"20261207_091500_NF.mp4", "20261207_091600_EF.mp4"},
                      {"20261207_091500_NR.mp4", "20261207_091600_ER.mp4"}}},
        {"thinkware", {{"REC_2026_12_07_09_15_00_F.MP4", "REC_2026_12_07_09_16_00_F.MP4"},
                       {"REC_2026_12_07_09_15_01_R.MP4", "REC_2026_12_07_09_16_01_R.MP4"}}},
        {"nextbase", {{"261207_091500_001_FH.MP4", "261207_091600_002_FH.MP4"},
                      {"261207_091500_001_RH.MP4", "261207_091600_002_RH.MP4"}}},
        {"vantrue", {{"2026_1207_091500_001A.MP4", "2026_1207_091600_002A.MP4"},
                     {"2026_1207_091500_001B.MP4", "2026_1207_091600_002B.MP4"}}},
        {"70mai", {{"Front/NO20261207-091500-000001F.MP4", "Front/NO20261207-091600-000002F.MP4"},
                   {"Back/NO20261207-091500-000003B.MP4", "Back/NO20261207-091600-000004B.MP4"}}},
        {"tesla", {{"2026-12-07_09-15-00-front.mp4", "2026-12-07_09-16-00-front.mp4"},
                   {"2026-12-07_09-15-00-back.mp4", "2026-12-07_09-16-00-back.mp4"},
                   {"2026-12-07_09-15-00-left_repeater.mp4", "2026-12-07_09-16-00-left_repeater.mp4"},
                   {"2026-12-07_09-15-00-right_repeater.mp4", "2026-12-07_09-16-00-right_repeater.mp4"}}},
    };
    for (const Family& family : families) {
        for (const auto& [first, second] : family.drives) {
            for (const auto& [name, minute] : {std::pair{first, 15}, {second, 16}}) {
                const std::string path = tmp.path() + family.folder + "/" + name;
                std::filesystem::create_directories(std::filesystem::path(path).parent_path());
                ASSERT_EQ(testing_support::writeTrackOnlyClip(path, 60, 1000, track(minute)), "") << path;
            }
        }
        const ToolRun trips = run({"--trips", "--json", "-r", family.folder});
        ASSERT_EQ(trips.status, 0) << trips.err;
        EXPECT_EQ(lines(trips.out).size(), family.drives.size() + 2) << trips.out;
        for (const auto& [first, second] : family.drives) {
            const std::string clips = "\"clips\":[\"" + platform::fileName(first) + "\",\"" +
                                      platform::fileName(second) + "\"]";
            EXPECT_EQ(count(trips.out, clips), 1u) << clips << "\n" << trips.out;
        }
    }
}

TEST_F(VeltaraTrackTool, AnExportFromAFolderOfFrontAndRearFollowsTheFront) {
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    std::filesystem::create_directories(tmp.path() + "card");
    for (const char* channel : {"F", "R"}) {
        clip(std::string("card/2016_0520_103000_0001") + channel + ".MP4", testing_support::driveClip(0));
        clip(std::string("card/2016_0520_103040_0002") + channel + ".MP4", testing_support::driveClip(40));
    }
    const std::string out = tmp.path() + "exports";
    const ToolRun exported = run({"--export", "--from", "2016_0520_103000_0001F.MP4@30", "--duration", "30",
                                  "--no-overlay", "--out", out, "card"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string folder = lines(exported.out).at(0);
    // The track goes on in time, through the front's second clip.
    const std::string gpx = tmp.read(folder.substr(tmp.path().size()) + "track.gpx");
    EXPECT_EQ(count(gpx, "<trkpt"), 30u);
    EXPECT_EQ(count(gpx, "<time>2016-05-20T10:30:59</time>"), 1u);
    EXPECT_EQ(count(gpx, "<time>2016-05-20T10:30:00</time>"), 0u);
    // The checksums and the report name the stretch's clips, and only them.
    const std::string sums = tmp.read(folder.substr(tmp.path().size()) + "SHA256SUMS");
    EXPECT_EQ(lines(sums).size(), 6u) << sums;
    EXPECT_EQ(count(sums, "/card/2016_0520_103000_0001F.MP4\n"), 1u) << sums;
    EXPECT_EQ(count(sums, "/card/2016_0520_103040_0002F.MP4\n"), 1u) << sums;
    int status = 0;
    const std::string report = testing_support::commandOutput({"/usr/bin/pdftotext", "report.pdf", "-"}, folder, status);
    EXPECT_NE(report.find("0002F.MP4"), std::string::npos) << report;
    EXPECT_EQ(report.find("R.MP4"), std::string::npos) << report;
}

namespace {

TEST_F(VeltaraTrackTool, RepairsAClipCutShortFromTheNearestHealthyOne) {
    testing_support::ClipSpec spec = smallClip(testing_support::cameraTrack(30));
    spec.frameRate = 10;
    const std::string healthy = clip("0001F.mp4", spec);
    const std::string whole = clip("0002F.mp4", spec);
    std::string bytes;
    ASSERT_TRUE(platform::readFile(tmp.path() + whole, bytes, 1 << 24));
    const size_t moov = bytes.rfind("moov");
    ASSERT_NE(moov, std::string::npos);
    tmp.write("0002F.mp4", bytes.substr(0, moov - 4 - 2000));  // the index and the last samples gone

    const ToolRun info = run({"--info", "--json", "0002F.mp4"});
    EXPECT_NE(info.out.find("\"format\": \"cut\""), std::string::npos) << info.out;
    const ToolRun track = run({"0002F.mp4"});
    EXPECT_EQ(track.status, 1);
    EXPECT_NE(track.err.find("0002F.mp4: cut short (no index)"), std::string::npos) << track.err;

    const ToolRun repair = run({"--repair", "0002F.mp4"});
    EXPECT_EQ(repair.status, 0) << repair.err;
    EXPECT_EQ(repair.out, "./0002F.repaired.mp4\n");
    const ToolRun repaired = run({"0002F.repaired.mp4"});
    EXPECT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_GT(count(repaired.out, "0002F.repaired.mp4,"), 10u);

    const ToolRun refused = run({"--repair", "--reference", "0002F.mp4", healthy});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("0001F.mp4: cannot be repaired: it has its index"), std::string::npos) << refused.err;
}

// The copy keeps where it came from: an export over it lists the original
// beside it with the checksum the repair read, and the report names the
// original and the reference; an original gone since is said to be.
TEST_F(VeltaraTrackTool, AnExportOfARepairedClipNamesItsOriginalAndReference) {
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    testing_support::ClipSpec spec = smallClip(testing_support::cameraTrack(30));
    spec.frameRate = 10;
    clip("0001F.mp4", spec);
    clip("0002F.mp4", spec);
    std::string bytes;
    ASSERT_TRUE(platform::readFile(tmp.path() + "0002F.mp4", bytes, 1 << 24));
    tmp.write("0002F.mp4", bytes.substr(0, bytes.rfind("moov") - 4 - 2000));
    ASSERT_EQ(run({"--repair", "0002F.mp4"}).status, 0);
    int status = 0;
    const auto sha = [&](const std::string& name) {
        return testing_support::commandOutput({"/usr/bin/sha256sum", name}, tmp.path(), status).substr(0, 64);
    };
    const std::string original = sha("0002F.mp4"), reference = sha("0001F.mp4");

    for (const bool originalThere : {true, false}) {
        if (!originalThere) {
            ASSERT_EQ(::unlink((tmp.path() + "0002F.mp4").c_str()), 0);
        }
        const ToolRun exported = run({"--export", "--from", "0002F.repaired.mp4@0", "--duration", "2", "--out",
                                      tmp.path() + "exports", "--no-overlay", "0002F.repaired.mp4"});
        ASSERT_EQ(exported.status, 0) << exported.err;
        const std::string folder = lines(exported.out).at(0);
        const std::string sums = tmp.read(folder.substr(tmp.path().size()) + "SHA256SUMS");
        EXPECT_NE(sums.find(sha("0002F.repaired.mp4") + "  " + tmp.path() + "0002F.repaired.mp4\n"), std::string::npos)
            << sums;
        EXPECT_NE(sums.find(original + "  " + tmp.path() + "0002F.mp4\n"), std::string::npos) << sums;
        const std::string check =
            testing_support::commandOutput({"/usr/bin/sha256sum", "-c", "SHA256SUMS"}, folder, status);
        EXPECT_EQ(status == 0, originalThere) << check;
        const std::string report =
            testing_support::commandOutput({"/usr/bin/pdftotext", "-raw", "report.pdf", "-"}, folder, status);
        EXPECT_NE(report.find("Repaired copy of " + tmp.path() + "0002F.mp4 (its index rebuilt from the reference"),
                  std::string::npos) << report;
        EXPECT_NE(report.find("SHA-256 " + original + "\n" +
                              (originalThere ? "the original beside it matches" : "the original is not beside it")),
                  std::string::npos) << report;
        EXPECT_NE(report.find("SHA-256 " + reference + " (0001F.mp4)"), std::string::npos) << report;
    }
}

}  // namespace

TEST_F(VeltaraTrackTool, PrintZeroGivesTheExportsFolderExactly) {
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    const std::string a = clip("2016_0520_103000_F.MP4", smallClip(testing_support::cameraTrack(5)));
    const std::string out = tmp.path() + "line\nbreak";
    const ToolRun exported =
        run({"--export", "--from", a + "@0", "--duration", "1", "--out", out, "--no-overlay", "--print0", a});
    ASSERT_EQ(exported.status, 0) << exported.err;
    ASSERT_FALSE(exported.out.empty());
    EXPECT_EQ(exported.out.back(), '\0');
    const std::string folder = exported.out.substr(0, exported.out.size() - 1);
    EXPECT_EQ(folder.rfind(out + "/", 0), 0u) << folder;
    EXPECT_TRUE(std::filesystem::is_regular_file(folder + "SHA256SUMS")) << folder;
}

// A car's saved and sentry folders: their clips carry no data, the events
// the car saved stand at the places it gave, in words.
TEST_F(VeltaraTrackTool, EventsTheCarSavedInItsFolders) {
    ASSERT_EQ(testing_support::makeCarFolderTree(tmp.path()), "");
    const ToolRun json = run({"--events", "--json", "--recursive", "TeslaCam"});
    ASSERT_EQ(json.status, 0) << json.err;
    // The saved front and back (one trip each), the sentry front.
    EXPECT_EQ(count(json.out, "\"kind\":\"car\""), 3u) << json.out;
    EXPECT_NE(json.out.find("{\"clip\":\"2026-12-07_09-59-00-back.mp4\",\"time_s\":1.0,\"kind\":\"car\",\"peak_g\":0.00,"
                            "\"reason\":\"user_interaction_honk\",\"words\":\"Saved by the horn\",\"city\":\"K\xC3\xB6ln <b>\","
                            "\"lat\":50.937500,\"lon\":6.960300}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("{\"clip\":\"2026-12-08_00-59-00-front.mp4\",\"time_s\":2.0,\"kind\":\"car\""),
              std::string::npos);
    const ToolRun table = run({"--events", "-r", "TeslaCam/SentryClips"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("0:02.0  car   Sentry: something came close, Ulm"), std::string::npos) << table.out;
}

namespace {

// The colour of a point of a video's frame, given in fractions of the picture.
std::array<int, 3> colourAt(const std::string& video, double seconds, double fx, double fy, int& width, int& height) {
    int status = 0;
    const std::string size =
        testing_support::commandOutput({"/usr/bin/ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                        "stream=width,height", "-of", "csv=p=0", video},
                                       "/", status);
    if (std::sscanf(size.c_str(), "%d,%d", &width, &height) != 2) return {-1, -1, -1};
    const std::string at = std::to_string(seconds), x = std::to_string(static_cast<int>(width * fx)),
                      y = std::to_string(static_cast<int>(height * fy));
    const std::string pixel = testing_support::commandOutput(
        {std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg", "-v", "error", "-ss", at, "-i", video, "-frames:v",
         "1", "-vf", "crop=2:2:" + x + ":" + y, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"},
        "/", status);
    if (pixel.size() != 12) return {-1, -1, -1};
    return {static_cast<unsigned char>(pixel[0]), static_cast<unsigned char>(pixel[1]),
            static_cast<unsigned char>(pixel[2])};
}

}  // namespace

// A car's moment of four cameras exported as the player shows it: the grid
// laid out like the car at the front's size, every camera's clip in the
// checksums; a stretch into a minute without its right repeater still
// exports, that tile black there only and named; one camera alone takes
// only it.
TEST_F(VeltaraTrackTool, AnExportTakesTheCarsCamerasAsShown) {
    if (!std::filesystem::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report"))
        GTEST_SKIP() << "no report program in this build";
    std::filesystem::create_directories(tmp.path() + "TeslaCam/RecentClips");
    testing_support::ClipSpec spec;
    spec.withAudio = false;
    spec.withSubtitle = false;
    spec.durationSeconds = 60;
    spec.frameRate = 5;
    spec.width = 160;
    spec.height = 120;
    const std::pair<const char*, const char*> cameras[] = {
        {"front", "red"}, {"back", "blue"}, {"left_repeater", "green"}, {"right_repeater", "yellow"}};
    for (const auto& [camera, colour] : cameras) {
        spec.colour = colour;
        clip(std::string("TeslaCam/RecentClips/2026-12-07_10-00-00-") + camera + ".mp4", spec);
        if (std::string(camera) != "right_repeater")
            clip(std::string("TeslaCam/RecentClips/2026-12-07_10-01-00-") + camera + ".mp4", spec);
    }
    const auto exported = [&](const char* from, std::vector<std::string> layout = {"--layout", "grid"}) {
        std::vector<std::string> arguments = {"--export",     "--from", from,      "--duration",          "4",
                                              "--no-overlay", "--out",  "exports", "TeslaCam/RecentClips"};
        arguments.insert(arguments.begin() + 1, layout.begin(), layout.end());
        const ToolRun run = this->run(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0 ? lines(run.out).at(0) : std::string();
    };
    const std::array<int, 3> red{255, 0, 0}, blue{0, 0, 255}, green{0, 128, 0}, yellow{255, 255, 0}, black{0, 0, 0};
    const auto expectTiles = [&](const std::string& folder, double seconds, const std::array<int, 3>(&tiles)[4]) {
        // Below each tile's middle, where a missing camera's name is written.
        const double at[4][2] = {{0.25, 0.4}, {0.75, 0.4}, {0.25, 0.9}, {0.75, 0.9}};
        for (int t = 0; t < 4; ++t) {
            int width = 0, height = 0;
            const std::array<int, 3> c = colourAt(folder + "video.mp4", seconds, at[t][0], at[t][1], width, height);
            EXPECT_EQ(width, 160);
            EXPECT_EQ(height, 120);
            for (int i = 0; i < 3; ++i) EXPECT_NEAR(c[i], tiles[t][i], 40) << folder << " tile " << t;
        }
    };

    const std::string whole = exported("2026-12-07_10-00-00-front.mp4@1");
    ASSERT_FALSE(whole.empty());
    expectTiles(whole, 1.0, {red, blue, green, yellow});
    const std::string sums = tmp.read(whole.substr(tmp.path().size()) + "SHA256SUMS");
    for (const auto& [camera, colour] : cameras)
        EXPECT_EQ(count(sums, std::string("/RecentClips/2026-12-07_10-00-00-") + camera + ".mp4\n"), 1u) << sums;
    EXPECT_EQ(count(sums, "2026-12-07_10-01-00"), 0u) << sums;
    int status = 0;
    const std::string report = testing_support::commandOutput({"/usr/bin/pdftotext", "report.pdf", "-"}, whole, status);
    EXPECT_NE(report.find("re-encoded (H.264/AAC); every camera of each moment as shown (grid)"), std::string::npos)
        << report;

    const std::string across = exported("2026-12-07_10-00-00-front.mp4@58");
    ASSERT_FALSE(across.empty());
    expectTiles(across, 1.0, {red, blue, green, yellow});
    expectTiles(across, 3.0, {red, blue, green, black});
    // The black tile names its camera: white text across its middle.
    const std::string band = testing_support::commandOutput(
        {std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg", "-v", "error", "-ss", "3", "-i",
         across + "video.mp4", "-frames:v", "1", "-vf", "crop=80:12:80:84", "-f", "rawvideo", "-pix_fmt", "gray", "-"},
        "/", status);
    ASSERT_EQ(band.size(), 80u * 12u);
    EXPECT_GT(static_cast<unsigned char>(*std::max_element(band.begin(), band.end(), [](char a, char b) {
                  return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
              })),
              128);
    const std::string both = tmp.read(across.substr(tmp.path().size()) + "SHA256SUMS");
    EXPECT_EQ(count(both, "/RecentClips/2026-12-07_10-0"), 7u) << both;

    // The back alone: only what is shown is taken.
    const std::string back = exported("2026-12-07_10-00-00-front.mp4@1", {"--layout", "single", "--large", "2"});
    ASSERT_FALSE(back.empty());
    expectTiles(back, 1.0, {blue, blue, blue, blue});
    const std::string shown = tmp.read(back.substr(tmp.path().size()) + "SHA256SUMS");
    EXPECT_EQ(count(shown, "/RecentClips/2026-12-07_10-0"), 2u) << shown;
    EXPECT_EQ(count(shown, "-back.mp4\n"), 1u) << shown;
}
