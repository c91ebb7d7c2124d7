// The installation as a user makes it: `cmake --install` of this build into
// a fresh prefix. The tree must stand on its own (no link back into the
// build or source folder, no run path into them), the install manifest must
// list every file (it is the uninstall list), and the installed commands must
// work from any working directory, also through a link of the user's own.
#include "support/ProgramHarness.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"

#include <unistd.h>
#include <QJsonObject>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

using namespace std::chrono_literals;
using namespace program_harness;
namespace fs = std::filesystem;

namespace {

// The program folder, relative to the prefix.
const std::string kProgramDir = VELTARA_TEST_INSTALL_PROGRAM_DIR;

std::string withoutSlash(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Ran {
    int status = -1;
    std::string output;  // stdout and stderr
};

Ran run(const std::vector<std::string>& argv, const std::string& workingDirectory = {}) {
    platform::ChildProcess child;
    Ran ran;
    if (child.start(argv, {.workingDirectory = workingDirectory, .mergeStderrIntoStdout = true}) != 0) {
        ran.output = "cannot start " + argv[0];
        return ran;
    }
    child.closeStdin();
    Drain output(child.stdoutFd());
    ran.status = child.waitFor(120s).value_or(-1);
    if (ran.status == -1) child.kill();
    ran.output = output.join();
    return ran;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}

bool isElf(const std::string& path) {
    char magic[4] = {};
    std::ifstream(path, std::ios::binary).read(magic, sizeof magic);
    return magic[0] == '\x7f' && std::string(magic + 1, 3) == "ELF";
}

class Installed : public ProgramFixture {
protected:
    // One installation for all the tests.
    static void SetUpTestSuite() {
        root_ = std::make_unique<testing_support::TempFolder>();
        prefix_ = root_->path() + "Veltara Prefix";
        // The build's manifest belongs to the user's own installation (the
        // uninstall reads it): ours is read, then theirs is put back.
        const std::string manifest = std::string(VELTARA_TEST_BUILD_DIR) + "install_manifest.txt";
        const bool hadManifest = fs::exists(manifest);
        const std::string theirs = hadManifest ? readFile(manifest) : std::string();
        install_ = run({VELTARA_TEST_CMAKE, "--install", VELTARA_TEST_BUILD_DIR, "--prefix", prefix_});
        manifest_ = lines(readFile(manifest));
        if (hadManifest) {
            std::ofstream(manifest, std::ios::binary | std::ios::trunc) << theirs;
        } else {
            fs::remove(manifest);
        }
    }
    static void TearDownTestSuite() { root_.reset(); }

    static std::string installed(const std::string& relative) { return prefix_ + "/" + relative; }

    static inline std::unique_ptr<testing_support::TempFolder> root_;
    static inline std::string prefix_;
    static inline Ran install_;
    static inline std::vector<std::string> manifest_;
};

}  // namespace

TEST_F(Installed, LaysOutAStandAloneTreeThatTheManifestCovers) {
    ASSERT_EQ(install_.status, 0) << install_.output;

    for (const char* program : {"bin/veltara-dvr-player", "bin/veltara-track"}) {
        EXPECT_EQ(::access(installed(program).c_str(), X_OK), 0) << program;
    }
    for (const char* program : {"veltara-dvr-player", "veltara-track", "MPlayer/mplayer", "FFMpeg/ffmpeg"}) {
        EXPECT_EQ(::access(installed(kProgramDir + program).c_str(), X_OK), 0) << program;
    }
    for (const std::string& data :
         {kProgramDir + "conf/TotalConfig/Tavimoor.ini", kProgramDir + "conf/sysconfig/english.ini",
          kProgramDir + "skin/Zemta.xml", kProgramDir + "skin/style.qss", kProgramDir + "skin/images/logo.svg",
          kProgramDir + "Map/GoogleMap_Oversea.html", kProgramDir + "Map/track-map.js",
          kProgramDir + "Map/lib/leaflet/leaflet.js", kProgramDir + "Map/lib/leaflet/images/marker-icon.png",
          kProgramDir + "Map/lib/proj4/proj4.js", kProgramDir + "Map/lib/proj4leaflet/proj4leaflet.js",
          std::string("share/applications/veltara-dvr-player.desktop"),
          std::string("share/icons/hicolor/scalable/apps/veltara-dvr-player.svg"),
          std::string("share/icons/hicolor/256x256/apps/veltara-dvr-player.png")}) {
        EXPECT_EQ(::access(installed(data).c_str(), R_OK), 0) << data;
    }
    // Whatever the build puts into its program folder is installed too
    // (Screencut/ is made at run time).
    for (const auto& entry : fs::directory_iterator(VELTARA_TEST_PROGRAM_DIR)) {
        const std::string name = entry.path().filename();
        if (name == "Screencut") continue;
        EXPECT_TRUE(fs::exists(fs::symlink_status(installed(kProgramDir + name)))) << name;
    }

    const std::string build = VELTARA_TEST_BUILD_DIR;
    const std::string source = VELTARA_TEST_SOURCE_DIR;
    const std::set<std::string> listed(manifest_.begin(), manifest_.end());
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(prefix_)) {
        const std::string path = entry.path();
        const std::string relative = path.substr(prefix_.size() + 1);
        EXPECT_NE(entry.path().filename(), "CMakeLists.txt") << relative;
        if (entry.is_symlink()) {
            const fs::path target = fs::read_symlink(entry.path());
            std::error_code dangling;
            const std::string resolved = fs::canonical(entry.path(), dangling);
            EXPECT_FALSE(dangling) << relative << " -> " << target;
            EXPECT_FALSE(startsWith(resolved, build)) << relative << " -> " << target;
            EXPECT_FALSE(startsWith(resolved, source)) << relative << " -> " << target;
            // Links of our own are relative and stay in the tree, so it can move.
            if (relative != kProgramDir + "FFMpeg/ffmpeg") {
                EXPECT_TRUE(target.is_relative()) << relative << " -> " << target;
                EXPECT_TRUE(startsWith(resolved, prefix_ + "/")) << relative << " -> " << target;
            }
        } else if (entry.is_regular_file() && isElf(path)) {
            // No run path into the build: the libraries come from the system.
            const Ran dynamic = run({"/usr/bin/readelf", "-d", path});
            EXPECT_EQ(dynamic.status, 0) << dynamic.output;
            EXPECT_EQ(dynamic.output.find(withoutSlash(build)), std::string::npos) << relative << dynamic.output;
            EXPECT_EQ(dynamic.output.find(withoutSlash(source)), std::string::npos) << relative << dynamic.output;
        }
        if (entry.is_symlink() || !entry.is_directory()) files.insert(path);
    }
    std::vector<std::string> unlisted;
    std::vector<std::string> missing;
    std::ranges::set_difference(files, listed, std::back_inserter(unlisted));
    std::ranges::set_difference(listed, files, std::back_inserter(missing));
    EXPECT_EQ(unlisted, std::vector<std::string>{}) << "installed but not in the manifest";
    EXPECT_EQ(missing, std::vector<std::string>{}) << "in the manifest but not installed";
}

TEST_F(Installed, TrackToolRunsFromAnyFolderAndThroughALinkOfTheUsers) {
    ASSERT_EQ(install_.status, 0) << install_.output;
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(5);
    spec.durationSeconds = 1.5;
    spec.withAudio = false;
    spec.frameRate = 1;
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");
    const std::string userLink = home.path() + "bin/vtrack";
    fs::create_directories(home.path() + "bin");
    fs::create_symlink(installed("bin/veltara-track"), userLink);

    for (const std::string& command : {installed("bin/veltara-track"), userLink}) {
        // Through the converter: the one that must be found from the program folder.
        const Ran track = run({command, "--reader", "ffmpeg", "--sampling", "all", clip}, "/");
        ASSERT_EQ(track.status, 0) << command << "\n" << track.output;
        const auto rows = lines(track.output);
        ASSERT_EQ(rows.size(), 6u) << track.output;
        EXPECT_TRUE(startsWith(rows[0], "file,index,time_ms,valid,")) << rows[0];
        EXPECT_NE(rows[1].find(",0,,1,"), std::string::npos) << rows[1];
    }
}

// Started like the menu entry does, from some other folder: the window, the
// map page and a clip played by the installed engine.
TEST_F(Installed, LauncherOpensTheWindowAndPlaysWithTheInstalledEngine) {
    ASSERT_EQ(install_.status, 0) << install_.output;
    writeSettings();
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(30);
    spec.durationSeconds = 10.0;
    spec.withAudio = false;
    const std::string clip = home.path() + "2016_0520_1030_F.MP4";
    ASSERT_EQ(testing_support::makeClip(clip, spec), "");

    const fs::path workingDirectory = fs::current_path();
    fs::current_path(home.path());
    const bool started = start(installed("bin/veltara-dvr-player"));
    fs::current_path(workingDirectory);
    ASSERT_TRUE(started) << failure;
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid()) + "/exe"),
              fs::canonical(installed(kProgramDir + "veltara-dvr-player")));
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["map"].toObject()["loaded"].toBool(); }, 30s))
        << text(dump);
    EXPECT_EQ(dump["title"].toString(), "Veltara DVR Player");
    EXPECT_EQ(dump["map"].toObject()["page"].toString(), "GoogleMap_Oversea.html");

    EXPECT_TRUE(driver.ask("play " + clip)["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return d["player"].toObject()["state"].toInt() == 3 && d["map"].toObject()["linePoints"].toInt() > 0;
        },
        30s))
        << text(dump);
    const auto player = dump["player"].toObject()["pid"].toInteger();
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(player) + "/exe"),
              fs::canonical(installed(kProgramDir + "MPlayer/mplayer")));
    quitCleanly();
}
