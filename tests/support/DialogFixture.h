#pragma once
// A program folder with the shipped language files and a configuration
// file, its store and AppConfig loaded from it, and the source tree's skin.
#include "config/AppConfig.h"
#include "config/ConfigStore.h"
#include "support/TempFolder.h"
#include "ui/UiLibrary.h"

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <string>

struct DialogFixture {
    testing_support::TempFolder program;
    ConfigStore store{program.path()};
    AppConfig config;
    QWidget mainWindow;

    explicit DialogFixture(const std::string& settings) {
        QApplication::setQuitOnLastWindowClosed(false);
        ui::setResourcePath(QStringLiteral(VELTARA_TEST_DATA_DIR "skin/"));
        std::filesystem::create_directories(program.path() + "conf/sysconfig");
        for (const char* file : {"english.ini", "russian.ini", "german.ini"}) {
            std::filesystem::copy_file(std::string(VELTARA_TEST_DATA_DIR "conf/sysconfig/") + file,
                                       program.path() + "conf/sysconfig/" + file);
        }
        program.write(kConfigFile, "[MPlayer]\n" + settings);
        store.LoadConfig(config);
        mainWindow.resize(800, 600);
    }

    std::string configText() const { return program.read(kConfigFile); }

    static constexpr const char* kConfigFile = "conf/TotalConfig/Tavimoor.ini";
};
