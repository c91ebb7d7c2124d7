// Entry point of Veltara DVR Player: one instance per user; the main window
// runs until it is closed. No command-line argument is read.
#include "app/CDuiFrameWnd.h"
#include "app/QuitSignals.h"
#include "app/StartupEnvironment.h"
#include "app/TestDriver.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstanceLock.h"
#include "ui/UiLibrary.h"

#include <QApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    // A second start ends here, silently, leaving the first one alone; a
    // lock path that something else has taken is said.
    const std::string runtimeFolder = platform::privateRuntimeFolder();
    platform::SingleInstanceLock instanceLock(runtimeFolder, "OrselyZemtaMutex");
    if (!runtimeFolder.empty() && !instanceLock.acquired()) {
        if (instanceLock.error() != EWOULDBLOCK)
            std::fprintf(stderr, "veltara-dvr-player: cannot use the lock file %s: %s\n", instanceLock.path().c_str(),
                         std::strerror(instanceLock.error()));
        return 1;
    }

    StartupEnvironment::Apply();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);  // the main window's modal loop decides
    ui::setupUiLibrary();
    QuitSignals quitSignals;

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
    window->Close();  // after a signal: the same orderly end as a close
    driver.reset();
    window.reset();
    return quitSignals.received() != 0 ? 128 + quitSignals.received() : 0;
}
