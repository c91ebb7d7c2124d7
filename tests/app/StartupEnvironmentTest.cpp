// What the program sets in its environment before Qt starts, and that it
// never overrides what the user has set (Chromium's flags are added to).
#include "app/StartupEnvironment.h"

#include <gtest/gtest.h>
#include <map>

namespace {

StartupEnvironment::Variables needed(const StartupEnvironment::Facts& facts,
                                     const std::map<std::string, std::string>& environment) {
    return StartupEnvironment::Needed(facts, [&](const char* name) -> const char* {
        const auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    });
}

using Variables = StartupEnvironment::Variables;

}  // namespace

TEST(StartupEnvironment, SetsOnlyWhatTheMachineNeedsAndTheUserLeftUnset) {
    EXPECT_EQ(needed({.waylandSession = true, .root = true, .gpu = false}, {}),
              (Variables{{"QT_QPA_PLATFORM", "xcb"},
                         {"QTWEBENGINE_DISABLE_SANDBOX", "1"},
                         {"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"},
                         {"QT_QUICK_BACKEND", "software"}}));
    EXPECT_TRUE(needed({.waylandSession = false, .root = false, .gpu = true}, {}).empty());

    // What the user set is kept; without a GPU the user's Chromium flags
    // get the one the web view cannot do without.
    const std::map<std::string, std::string> user{
        {"QT_QPA_PLATFORM", "wayland"}, {"QTWEBENGINE_CHROMIUM_FLAGS", "--enable-logging"}, {"QT_QUICK_BACKEND", ""}};
    EXPECT_EQ(needed({.waylandSession = true, .root = false, .gpu = false}, user),
              (Variables{{"QTWEBENGINE_CHROMIUM_FLAGS", "--enable-logging --disable-gpu"},
                         {"QT_QUICK_BACKEND", "software"}}));  // set but empty counts as unset
    EXPECT_TRUE(needed({.waylandSession = false, .root = false, .gpu = true}, user).empty());
    // Already there (as a whole flag): nothing to add.
    EXPECT_EQ(needed({.gpu = false}, {{"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --enable-logging"},
                                      {"QT_QUICK_BACKEND", "software"}}),
              Variables{});
    EXPECT_EQ(needed({.gpu = false}, {{"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu-compositing"},
                                      {"QT_QUICK_BACKEND", "software"}}),
              (Variables{{"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu-compositing --disable-gpu"}}));
}
