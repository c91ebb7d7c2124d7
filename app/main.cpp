// Entry point of Veltara DVR Player: one instance per user; the main window
// runs until it is closed. No command-line argument is read.
#include "app/CDuiFrameWnd.h"
#include "app/StartupEnvironment.h"
#include "app/testdriver/TestDriver.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstanceLock.h"
#include "ui/UiLibrary.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    // A second start ends here, silently, leaving the first one alone.
    const std::string runtimeFolder = platform::privateRuntimeFolder();
    platform::SingleInstanceLock instanceLock(runtimeFolder, "OrselyZemtaMutex");
    if (!runtimeFolder.empty() && !instanceLock.acquired()) return 1;

    StartupEnvironment::Apply();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // the main window's modal loop decides
    ui::setupUiLibrary();

    auto window = std::make_unique<CDuiFrameWnd>(platform::programFolder());
    if (!window->Create(nullptr, CDuiFrameWnd::kTitle)) {
        std::fprintf(stderr, "veltara-dvr-player: the main window's skin cannot be built\n");
        return EXIT_FAILURE + 1;
    }

    std::unique_ptr<TestDriver> driver;
    if (const char* path = std::getenv(TestDriver::kEnvironmentVariable); path && *path) {
        driver = std::make_unique<TestDriver>(*window, QString::fromLocal8Bit(path));
        if (!driver->Listen()) driver.reset();
    }

    window->ShowModal();
    driver.reset();
    window.reset();
    return 0;
}
