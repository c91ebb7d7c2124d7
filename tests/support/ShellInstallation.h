#pragma once
// A program folder of its own for a main window in a test: the shipped
// language files, a configuration the test writes, and a home folder
// without a documents folder, so the configuration is read from the program
// folder and nothing of the user's is touched. Skins come from the source tree.
#include "app/CDuiFrameWnd.h"
#include "support/TempFolder.h"
#include "ui/UiLibrary.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

class ShellInstallation {
public:
    explicit ShellInstallation(const std::string& settings = "Language=english.ini\nVolume=55\nCleanTip=0\n") {
        for (const char* language : {"english.ini", "russian.ini"}) {
            program.write(std::string("conf/sysconfig/") + language,
                          readSource(std::string("conf/sysconfig/") + language));
        }
        program.write("conf/TotalConfig/Tavimoor.ini", "[MPlayer]\n" + settings);
        ::setenv("HOME", home.path().c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ui::setResourcePath(VELTARA_TEST_DATA_DIR "skin/");
        QApplication::setQuitOnLastWindowClosed(false);
    }

    // A created main window whose start-up has finished.
    std::unique_ptr<CDuiFrameWnd> startWindow() const {
        auto window = std::make_unique<CDuiFrameWnd>(program.path());
        if (!window->Create(nullptr, CDuiFrameWnd::kTitle)) return nullptr;
        window->show();
        if (!QTest::qWaitFor([&] { return window->ServicesStarted(); }, 5000)) return nullptr;
        QTest::qWait(20);  // the queued start-up steps
        return window;
    }

    // The built player engine and the converter, linked into the program folder.
    void linkTools() const {
        namespace fs = std::filesystem;
        for (const char* tool : {"MPlayer/mplayer", "FFMpeg/ffmpeg"}) {
            const fs::path link = program.path() + tool;
            fs::create_directories(link.parent_path());
            fs::create_symlink(fs::path(VELTARA_TEST_PROGRAM_DIR) / tool, link);
        }
    }

    // The map pages of the built program folder.
    void linkMapPages() const {
        std::filesystem::create_directory_symlink(std::filesystem::path(VELTARA_TEST_PROGRAM_DIR) / "Map",
                                                  program.path() + "Map");
    }

    std::string configFile() const { return program.path() + "conf/TotalConfig/Tavimoor.ini"; }

    static std::string readSource(const std::string& relative) {
        std::ifstream in(VELTARA_TEST_DATA_DIR + relative, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    testing_support::TempFolder program;
    testing_support::TempFolder home;
};
