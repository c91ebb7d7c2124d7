// The front and rear cameras of one moment in the real program (Xvfb): they
// play as one picture (the snapshot shows it), the layout changes, the rear
// row plays the moment with the rear as main, a clip's end goes on to the
// next moment, and a damaged rear leaves its front playing alone. The panel
// and the car follow the main clip's data (or the partner's where the main
// clip has none) in every layout, and a machine without sound output marks no
// clip.
#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <QImage>
#include <QJsonArray>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPlaying = 3;
constexpr int kPaused = 4;

QJsonObject cameras(const QJsonObject& d) { return d["cameras"].toObject(); }

bool isColour(QRgb pixel, int r, int g, int b) {
    return std::abs(qRed(pixel) - r) < 60 && std::abs(qGreen(pixel) - g) < 60 && std::abs(qBlue(pixel) - b) < 60;
}

class CameraPair : public ProgramFixture {
protected:
    void makeFolder() {
        folder = home.path() + "drive/";
        std::filesystem::create_directories(folder);
        testing_support::ClipSpec spec;
        spec.withSubtitle = false;
        spec.durationSeconds = 5;
        spec.width = 320;
        spec.height = 180;
        spec.frameRate = 15;
        spec.colour = "red";
        ASSERT_EQ(testing_support::makeClip(folder + names[0], spec), "");
        spec.colour = "blue";
        ASSERT_EQ(testing_support::makeClip(folder + names[1], spec), "");
        spec.colour = "green";
        ASSERT_EQ(testing_support::makeClip(folder + names[2], spec), "");
        std::ofstream(folder + names[3]) << std::string(5000, 'x');  // a damaged rear
    }

    // F8 while paused: the picture as shown, read back (its notice closed).
    QImage snapshot(int number) {
        char name[32];
        std::snprintf(name, sizeof name, "shot%04d.png", number);
        const std::string path = home.path() + "Documents/Veltara DVR Player/" + name;
        EXPECT_TRUE(driver.ask("key F8")["ok"].toBool());
        EXPECT_TRUE(driver.askUntilDone("click ShowPathOKButton", 10s)) << "no snapshot notice";
        for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i) std::this_thread::sleep_for(100ms);
        std::this_thread::sleep_for(200ms);  // written in full
        return QImage(QString::fromStdString(path));
    }

    bool pausedWith(const char* layout) {
        return waitFor([&](const QJsonObject& d) {
            return state(d) == kPaused && cameras(d)["layout"].toString() == layout;
        }, 10s);
    }

    bool validFixWithMarker(const std::string& main) {
        return waitFor([&](const QJsonObject& d) {
            return state(d) == kPlaying && cameras(d)["main"].toString().toStdString() == main &&
                   label(d, "LabelPositionStatus") == "GPS status: Valid fix" && map(d)["marker"].isObject();
        }, 20s);
    }

    const std::vector<std::string> names{"2026_1207_101500_F.MP4", "2026_1207_101500_R.MP4", "2026_1207_101600_F.MP4",
                                         "2026_1207_101600_R.MP4"};
    std::string folder;
};

TEST_F(CameraPair, FrontAndRearPlayAsOnePictureAndTheListGoesByMoment) {
    ASSERT_NO_FATAL_FAILURE(makeFolder());
    writeSettings();
    ASSERT_TRUE(start()) << failure;

    // The dropped front plays with its rear inset; the rows say who belongs together.
    EXPECT_TRUE(driver.ask("drop " + folder + names[0])["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) {
        return state(d) == kPlaying && cameras(d)["partner"].toString().toStdString() == folder + names[1];
    }, 30s)) << text(dump);
    EXPECT_EQ(cameras(dump)["main"].toString().toStdString(), folder + names[0]);
    EXPECT_EQ(cameras(dump)["layout"].toString(), "inset");
    EXPECT_TRUE(shown(dump, "btnLayout"));
    EXPECT_EQ(rows(dump)[1].toObject()["partnerOf"].toInt(), 0);
    EXPECT_EQ(rows(dump)[3].toObject()["partnerOf"].toInt(), 2);
    EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
    ASSERT_TRUE(pausedWith("inset")) << text(dump);
    capture("cameras-inset.png");
    const QImage inset = snapshot(1);
    ASSERT_FALSE(inset.isNull());
    EXPECT_TRUE(isColour(inset.pixel(inset.width() * 7 / 8, inset.height() * 7 / 8), 0, 0, 255));
    EXPECT_TRUE(isColour(inset.pixel(inset.width() / 4, inset.height() / 4), 255, 0, 0));
    EXPECT_TRUE(isColour(inset.pixel(inset.width() * 7 / 8, inset.height() / 4), 255, 0, 0));

    // Side by side: front left, rear right, the position kept. A paused seek
    // first, as a pause alone does not report where it stopped.
    EXPECT_TRUE(driver.ask("slide sliderProgress 2")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return player(d)["positionMs"].toInteger() >= 1000; }, 10s))
        << text(dump);
    const qint64 at = player(dump)["positionMs"].toInteger();
    EXPECT_TRUE(driver.ask("layout side")["ok"].toBool());
    ASSERT_TRUE(pausedWith("side")) << text(dump);
    std::this_thread::sleep_for(500ms);
    capture("cameras-side.png");
    const QImage side = snapshot(2);
    ASSERT_FALSE(side.isNull());
    EXPECT_EQ(side.width(), 2 * inset.width());
    EXPECT_TRUE(isColour(side.pixel(side.width() / 4, side.height() / 2), 255, 0, 0));
    EXPECT_TRUE(isColour(side.pixel(side.width() * 3 / 4, side.height() / 2), 0, 0, 255));
    EXPECT_EQ(player(driver.ask("dump"))["positionMs"].toInteger(), at);
    EXPECT_FALSE(driver.ask("layout diagonal")["ok"].toBool());
    // V goes on to the next layout.
    EXPECT_TRUE(driver.ask("key V")["ok"].toBool());
    ASSERT_TRUE(pausedWith("single")) << text(dump);
    EXPECT_TRUE(driver.ask("layout inset")["ok"].toBool());

    // An export with the rear inset: its picture is the one shown.
    ASSERT_TRUE(driver.ask("export " + folder + names[0] + " 1 2 nooverlay inset")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) {
        return d["export"].toObject()["state"].toString() != "running";
    }, 60s)) << text(dump);
    ASSERT_EQ(dump["export"].toObject()["state"].toString(), "done") << text(dump);
    const std::string exported = dump["export"].toObject()["folder"].toString().toStdString();
    int status = 0;
    testing_support::commandOutput({"/usr/bin/ffmpeg", "-v", "error", "-i", "video.mp4", "-frames:v", "1", "frame.png"},
                                   exported, status);
    const QImage frame(QString::fromStdString(exported + "frame.png"));
    ASSERT_FALSE(frame.isNull());
    EXPECT_TRUE(isColour(frame.pixel(frame.width() * 7 / 8, frame.height() * 7 / 8), 0, 0, 255));
    EXPECT_TRUE(isColour(frame.pixel(frame.width() / 4, frame.height() / 4), 255, 0, 0));

    // The rear's row plays the same moment with the rear as main.
    EXPECT_TRUE(driver.ask("activate 1")["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) {
        return state(d) == kPlaying && cameras(d)["main"].toString().toStdString() == folder + names[1] &&
               cameras(d)["partner"].toString().toStdString() == folder + names[0];
    }, 20s)) << text(dump);

    // From the front, the clip's end goes to the next moment's front, whose
    // damaged rear is marked while the front plays alone.
    EXPECT_TRUE(driver.ask("activate 0")["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) {
        return state(d) == kPlaying && current(d) == 2 && rows(d)[3].toObject()["problem"].toString() == "unplayable";
    }, 30s)) << text(dump);
    EXPECT_EQ(cameras(dump)["main"].toString().toStdString(), folder + names[2]);
    EXPECT_TRUE(cameras(dump)["partner"].isNull());
    quitCleanly();
}

TEST_F(CameraPair, PanelAndMarkerFollowTheDataInEveryLayoutAndNoSoundOutputMarksNoClip) {
    // The first moment: both cameras with data; the second: only the rear has data.
    folder = home.path() + "drive/";
    const std::string solo = home.path() + "solo/";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(solo);
    testing_support::ClipSpec spec;
    spec.trackTexts = testing_support::cameraTrack(80);
    spec.durationSeconds = 8;
    spec.width = 320;
    spec.height = 180;
    ASSERT_EQ(testing_support::makeClip(folder + names[0], spec), "");
    spec.colour = "blue";  // the rear, told apart in the pictures
    ASSERT_EQ(testing_support::makeClip(folder + names[1], spec), "");
    ASSERT_EQ(testing_support::makeClip(folder + names[3], spec), "");
    spec.colour.clear();
    spec.withSubtitle = false;
    ASSERT_EQ(testing_support::makeClip(folder + names[2], spec), "");
    std::filesystem::copy_file(folder + names[0], solo + names[0]);
    // A sound library without any device: every sound output fails to open.
    const std::string alsa = home.path() + "empty-alsa.conf";
    std::ofstream(alsa) << "";
    ::setenv("ALSA_CONFIG_PATH", alsa.c_str(), 1);
    std::filesystem::create_directories(std::filesystem::path(settingsPath()).parent_path());
    std::ofstream(settingsPath()) << "[MPlayer]\nLanguage=english.ini\nLocale=Oversea\nMap=GoogleMap\n"
                                     "VO=directx:noaccel\nAO=alsa\nVolume=40\n";
    ASSERT_TRUE(start()) << failure;
    ::unsetenv("ALSA_CONFIG_PATH");
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);

    EXPECT_TRUE(driver.ask("drop " + folder + names[0])["ok"].toBool());
    ASSERT_TRUE(validFixWithMarker(folder + names[0])) << text(dump);
    EXPECT_EQ(cameras(dump)["partner"].toString().toStdString(), folder + names[1]);
    capture("cameras-paired-fix.png");
    // One camera only: still the clip's data.
    EXPECT_TRUE(driver.ask("layout single")["ok"].toBool());
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(validFixWithMarker(folder + names[0])) << text(dump);

    // At the end the next moment plays: its front shows the rear's data, and
    // the rear of the moment before is not marked for the missing sound.
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) { return current(d) == 2; }, 20s)) << text(dump);
    EXPECT_TRUE(validFixWithMarker(folder + names[2])) << text(dump);
    EXPECT_EQ(cameras(dump)["partner"].toString().toStdString(), folder + names[3]);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(rows(dump)[row].toObject()["problem"].toString(), "") << row;
    EXPECT_TRUE(dump["notice"].toString().startsWith("No sound output")) << text(dump);

    // The same front clip alone shows the same.
    EXPECT_TRUE(driver.ask("drop " + solo + names[0])["ok"].toBool());
    ASSERT_TRUE(validFixWithMarker(solo + names[0])) << text(dump);
    EXPECT_TRUE(cameras(dump)["partner"].isNull());
    capture("solo-fix.png");
    quitCleanly();
}

}  // namespace

// A camera that keeps each channel in a folder of its own: the dropped
// front finds its rear in the sibling folder and plays with it.
TEST_F(CameraPair, TheRearInASiblingFolderPlaysWithItsFront) {
    const std::string front = home.path() + "card/Front/NO20261207-101500-000001F.MP4";
    const std::string back = home.path() + "card/Back/NO20261207-101501-000002B.MP4";
    std::filesystem::create_directories(home.path() + "card/Front");
    std::filesystem::create_directories(home.path() + "card/Back");
    testing_support::ClipSpec spec;
    spec.withSubtitle = false;
    spec.durationSeconds = 3;
    spec.width = 160;
    spec.height = 90;
    spec.frameRate = 15;
    ASSERT_EQ(testing_support::makeClip(front, spec), "");
    ASSERT_EQ(testing_support::makeClip(back, spec), "");
    writeSettings();
    ASSERT_TRUE(start()) << failure;
    EXPECT_TRUE(driver.ask("drop " + front)["ok"].toBool());
    ASSERT_TRUE(waitFor([&](const QJsonObject& d) {
        return state(d) == kPlaying && cameras(d)["partner"].toString().toStdString() == back;
    }, 30s)) << text(dump);
    EXPECT_EQ(rows(dump)[1].toObject()["partnerOf"].toInt(), 0);
}
