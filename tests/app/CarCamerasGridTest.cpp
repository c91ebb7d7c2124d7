// A car's moment of four cameras in the real program (Xvfb): all four play in
// one picture laid out like the car, a click on a tile and a number key make
// a camera the large one over the strip, V goes on to one camera, and in a
// moment whose right repeater is missing that tile stays black. The snapshot
// is the picture as shown, so each tile is checked by its colour; an export
// takes the picture as shown too.
#include "platform/FileSystem.h"
#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <QImage>
#include <QJsonArray>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

constexpr int kPaused = 4;

struct Colour {
    int r, g, b;
};
constexpr Colour kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 128, 0}, kYellow{255, 255, 0}, kBlack{0, 0, 0};

QJsonObject cameras(const QJsonObject& d) {
    return d["cameras"].toObject();
}

class CarCamerasGrid : public ProgramFixture {
protected:
    void makeMoments() {
        recent = home.path() + "TeslaCam/RecentClips/";
        std::filesystem::create_directories(recent);
        testing_support::ClipSpec spec;
        spec.withAudio = false;
        spec.withSubtitle = false;
        spec.durationSeconds = 6;
        spec.width = 160;
        spec.height = 120;
        const std::pair<const char*, const char*> first[] = {
            {"front", "red"}, {"back", "blue"}, {"left_repeater", "green"}, {"right_repeater", "yellow"}};
        for (const auto& [camera, colour] : first) {
            spec.colour = colour;
            ASSERT_EQ(testing_support::makeClip(recent + "2026-12-07_10-00-00-" + camera + ".mp4", spec), "");
            // The next minute has no right repeater.
            if (std::string(camera) != "right_repeater") {
                ASSERT_EQ(testing_support::makeClip(recent + "2026-12-07_10-01-00-" + camera + ".mp4", spec), "");
            }
        }
    }

    // F8 while paused: the picture as shown, read back (its notice closed).
    QImage snapshot() {
        char name[32];
        std::snprintf(name, sizeof name, "shot%04d.png", ++shots);
        const std::string path = home.path() + "Documents/Veltara DVR Player/" + name;
        EXPECT_TRUE(driver.ask("key F8")["ok"].toBool());
        EXPECT_TRUE(driver.askUntilDone("click ShowPathOKButton", 10s)) << "no snapshot notice";
        for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i) std::this_thread::sleep_for(100ms);
        std::this_thread::sleep_for(200ms);  // written in full
        return QImage(QString::fromStdString(path));
    }

    // The layout shown (paused), then its picture; a layout change lands at once, the wait is for the engine.
    QImage pausedIn(const char* layout) {
        EXPECT_TRUE(waitFor(
            [&](const QJsonObject& d) { return state(d) == kPaused && cameras(d)["layout"].toString() == layout; },
            10s))
            << text(dump);
        std::this_thread::sleep_for(500ms);
        return snapshot();
    }

    // Each tile's colour at a point given in fractions of the picture.
    static void expectTiles(const QImage& image, std::initializer_list<std::tuple<double, double, Colour>> tiles,
                            const char* what) {
        ASSERT_FALSE(image.isNull()) << what;
        for (const auto& [fx, fy, c] : tiles) {
            const QRgb p = image.pixel(static_cast<int>(image.width() * fx), static_cast<int>(image.height() * fy));
            EXPECT_TRUE(std::abs(qRed(p) - c.r) < 60 && std::abs(qGreen(p) - c.g) < 60 && std::abs(qBlue(p) - c.b) < 60)
                << what << " at " << fx << "," << fy << ": " << qRed(p) << " " << qGreen(p) << " " << qBlue(p);
        }
    }

    std::string recent;
    int shots = 0;
};

TEST_F(CarCamerasGrid, FourCamerasInOnePictureLaidOutLikeTheCar) {
    ASSERT_NO_FATAL_FAILURE(makeMoments());
    writeSettings("CameraLayout=grid\n");
    ASSERT_TRUE(start()) << failure;

    EXPECT_TRUE(driver.ask("drop " + home.path() + "TeslaCam")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return cameras(d)["cameras"].toArray().size() == 4; }, 30s))
        << text(dump);
    EXPECT_EQ(cameras(dump)["main"].toString().toStdString(), recent + "2026-12-07_10-00-00-front.mp4");
    EXPECT_TRUE(cameras(dump)["partner"].isNull());
    EXPECT_EQ(cameras(dump)["cameras"].toArray()[3].toString().toStdString(),
              recent + "2026-12-07_10-00-00-right_repeater.mp4");
    EXPECT_TRUE(shown(dump, "btnLayout"));
    EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());

    // Front and back over the left and right repeaters.
    const QImage grid = pausedIn("grid");
    capture("car-cameras-grid.png");
    expectTiles(grid, {{0.25, 0.25, kRed}, {0.75, 0.25, kBlue}, {0.25, 0.75, kGreen}, {0.75, 0.75, kYellow}}, "grid");

    // A click on the right repeater's tile: it is large over a strip of the others, in the car's order.
    EXPECT_TRUE(driver.ask("videoclick 0.75 0.75")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return cameras(d)["large"].toString() == "right_repeater"; }, 5s))
        << text(dump);
    const QImage strip = pausedIn("strip");
    EXPECT_GT(strip.height(), grid.height());
    expectTiles(strip, {{0.5, 0.3, kYellow}, {0.15, 0.9, kRed}, {0.5, 0.9, kBlue}, {0.85, 0.9, kGreen}}, "strip");
    // 2: the back large.
    EXPECT_TRUE(driver.ask("key 2")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return cameras(d)["large"].toString() == "R"; }, 5s)) << text(dump);
    const QImage backLarge = pausedIn("strip");
    capture("car-cameras-strip.png");
    expectTiles(backLarge, {{0.5, 0.3, kBlue}, {0.15, 0.9, kRed}}, "strip, back large");
    // The export takes the picture as shown: the strip, every camera's clip in its checksums.
    ASSERT_TRUE(driver.ask("export " + recent + "2026-12-07_10-00-00-front.mp4 1 2 nooverlay shown")["ok"].toBool());
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["export"].toObject()["state"] != "running"; }, 60s));
    const std::string exported = dump["export"].toObject()["folder"].toString().toStdString();
    ASSERT_EQ(dump["export"].toObject()["state"].toString(), "done") << text(dump);
    int status = 0;
    EXPECT_EQ(testing_support::commandOutput({"/usr/bin/ffprobe", "-v", "error", "-show_entries", "stream=width,height",
                                              "-of", "csv=p=0", "video.mp4"},
                                             exported, status),
              "160,160\n");
    std::string sums;
    ASSERT_TRUE(platform::readFile(exported + "/SHA256SUMS", sums, 1 << 16));
    for (const char* camera : {"front", "back", "left_repeater", "right_repeater"})
        EXPECT_NE(sums.find(recent + "2026-12-07_10-00-00-" + camera + ".mp4\n"), std::string::npos) << sums;
    // V: the back alone.
    EXPECT_TRUE(driver.ask("key V")["ok"].toBool());
    expectTiles(pausedIn("single"), {{0.1, 0.1, kBlue}, {0.9, 0.9, kBlue}}, "single");

    // The next minute, its right repeater missing: that tile stays black.
    EXPECT_TRUE(driver.ask("layout grid")["ok"].toBool());
    EXPECT_TRUE(driver.ask("activate 1")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return cameras(d)["main"].toString().toStdString() == recent + "2026-12-07_10-01-00-front.mp4" &&
                   cameras(d)["cameras"].toArray().size() == 3;
        },
        30s))
        << text(dump);
    EXPECT_TRUE(driver.ask("key Space")["ok"].toBool());
    expectTiles(pausedIn("grid"), {{0.25, 0.25, kRed}, {0.75, 0.25, kBlue}, {0.25, 0.75, kGreen}, {0.97, 0.97, kBlack}},
                "grid, a camera missing");
    quitCleanly();
}

}  // namespace
