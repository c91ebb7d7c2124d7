// The program's first start in English, Russian and German, in a real X
// server: the texts of the language, the empty video area with its hint, the
// map's world view. Leaves a screenshot of each for people to look at.
#include "support/ProgramHarness.h"

#include <filesystem>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {
using FirstStart = ProgramFixture;
}  // namespace

TEST_F(FirstStart, ShowsWhereToBeginInTheUsersLanguage) {
    const std::pair<const char*, const char*> languages[] = {
        {"english", "Speed: 0 km/h"}, {"russian", "Скорость: 0 км/ч"}, {"german", "Geschwindigkeit: 0 km/h"}};
    for (const auto& [language, speed] : languages) {
        SCOPED_TRACE(language);
        std::filesystem::create_directories(std::filesystem::path(settingsPath()).parent_path());
        std::ofstream(settingsPath()) << "[MPlayer]\nLanguage=" << language
                                      << ".ini\nLocale=Oversea\nMap=GoogleMap\nVO=directx:noaccel\nAO=null\n";
        ASSERT_TRUE(start()) << failure;
        ASSERT_TRUE(waitFor([](const QJsonObject& d) { return d["map"].toObject()["loaded"].toBool(); }, 30s));
        EXPECT_EQ(dump["labels"].toObject()["LabelSpeed"].toString(), QString::fromUtf8(speed));
        std::this_thread::sleep_for(500ms);  // the page draws its first view
        capture(language == std::string("english") ? "first-start.png"
                                                   : std::string("first-start-") + language + ".png");
        quitCleanly();
    }
}
