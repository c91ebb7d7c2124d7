// The sound card list from the player engine: its lines in order, and no
// hang or flood whatever the engine does.
#include "dialogs/SoundCardList.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <functional>

using testing_support::TempFolder;

namespace {

using namespace std::chrono_literals;

// A program folder whose engine is the given shell script.
struct FakeEngine {
    TempFolder program;
    explicit FakeEngine(const std::string& script) {
        const std::string path = program.write("MPlayer/mplayer", "#!/bin/sh\n" + script);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
};

std::chrono::milliseconds timeOf(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(SoundCardList, ListsEveryLineInTheEnginesOrder) {
    // The options must arrive as the engine knows them; an empty description is still a device.
    FakeEngine engine(
        "[ \"$1\" = -list-audio-devices ] || exit 2\n"
        "printf 'Autoselect device\\n  Built-in  Audio \\n\\nHDMI\\tOut\\nlast without end'\n"
        "echo 'log noise' >&2\n");
    EXPECT_EQ(
        SoundCardList::query(engine.program.path()),
        (std::vector<std::string>{"Autoselect device", "  Built-in  Audio ", "", "HDMI Out", "last without end"}));
}

TEST(SoundCardList, MissingOrBrokenEngineGivesNoDevices) {
    TempFolder empty;
    EXPECT_TRUE(SoundCardList::query(empty.path()).empty());
    FakeEngine failing("echo 'Error: no audio' >&2\nexit 1\n");
    EXPECT_TRUE(SoundCardList::query(failing.program.path()).empty());
}

TEST(SoundCardList, StalledEngineIsKilledInTimeKeepingCompleteLines) {
    FakeEngine stalled("printf 'Autoselect device\\nhalf a li'\nexec sleep 30\n");
    std::vector<std::string> devices;
    auto took = timeOf([&] { devices = SoundCardList::query(stalled.program.path(), 500ms); });
    EXPECT_LT(took, 3s);
    EXPECT_EQ(devices, std::vector<std::string>{"Autoselect device"});

    // Output complete, but the engine does not end: the list is whole.
    FakeEngine lingering("printf 'Autoselect device\\nHDMI\\n'\nexec 1>&-\nexec sleep 30\n");
    took = timeOf([&] { devices = SoundCardList::query(lingering.program.path(), 500ms); });
    EXPECT_LT(took, 3s);
    EXPECT_EQ(devices, (std::vector<std::string>{"Autoselect device", "HDMI"}));
}

TEST(SoundCardList, FloodingEngineIsBounded) {
    // Megabytes of log and of lines: neither blocks the engine nor grows the list without end.
    FakeEngine flood("yes 'log line' | head -c 2000000 >&2\nyes 'Device' | head -n 100000\n");
    std::vector<std::string> devices;
    const auto took = timeOf([&] { devices = SoundCardList::query(flood.program.path(), 5s); });
    EXPECT_LT(took, 5s);
    EXPECT_EQ(devices.size(), SoundCardList::kMaxDevices);

    const std::string longLine(1000, 'x');
    EXPECT_EQ(SoundCardList::parse(longLine + "\n", true).front().size(), SoundCardList::kMaxDescriptionBytes);
    // Cut between characters, never inside one.
    EXPECT_EQ(
        SoundCardList::parse(std::string(SoundCardList::kMaxDescriptionBytes - 1, 'a') + "Ж", true).front().size(),
        SoundCardList::kMaxDescriptionBytes - 1);
}

TEST(SoundCardList, RealEngineListsTheAutomaticChoiceFirst) {
    const std::string program = VELTARA_TEST_PROGRAM_DIR;
    if (!std::filesystem::exists(program + "MPlayer/mplayer")) GTEST_SKIP() << "no engine in " << program;
    const std::vector<std::string> devices = SoundCardList::query(program);
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices.front(), "Autoselect device");
}

}  // namespace
