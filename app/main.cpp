// Entry point of Veltara DVR Player: one instance per user; the main window
// runs until it is closed or a quit signal arrives. Files named on the
// command line open as a drop does; a second start hands them to the
// running instance.
#include "app/CDuiFrameWnd.h"
#include "app/CommandLineFiles.h"
#include "app/InstanceHandover.h"
#include "app/PlayerInfoRequest.h"
#include "app/QuitSignals.h"
#include "app/StartupEnvironment.h"
#include "app/testdriver/TestDriver.h"
#include "config/ProgramVersion.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeFolder.h"
#include "platform/SingleInstanceLock.h"
#include "ui/UiLibrary.h"

#include <QApplication>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
constexpr int kHandoverTimeoutMs = 5000;

QStringList toQt(const std::vector<std::string>& files) {
    QStringList paths;
    for (const std::string& file : files) paths << QString::fromLocal8Bit(file.c_str());
    return paths;
}
}  // namespace

int main(int argc, char** argv) {
    switch (PlayerInfoRequest::Parse(argc, argv)) {
        case PlayerInfoRequest::Help:
            std::fputs(PlayerInfoRequest::Usage().c_str(), stdout);
            return 0;
        case PlayerInfoRequest::Version:
            std::fputs(programVersionText("veltara-dvr-player").c_str(), stdout);
            return 0;
        case PlayerInfoRequest::None:
            break;
    }
    const std::vector<std::string> files = CommandLineFiles::Parse(argc, argv);
    // A second start ends here, leaving the first one alone: with files it
    // hands them over (0 once taken), without it changes nothing (1). A lock
    // path that something else has taken is said.
    const std::string runtimeFolder = platform::privateRuntimeFolder();
    platform::SingleInstanceLock instanceLock(runtimeFolder, "OrselyZemtaMutex");
    if (!runtimeFolder.empty() && !instanceLock.acquired()) {
        if (instanceLock.error() != EWOULDBLOCK) {
            std::fprintf(stderr, "veltara-dvr-player: cannot use the lock file %s: %s\n", instanceLock.path().c_str(),
                         std::strerror(instanceLock.error()));
            return 1;
        }
        if (files.empty()) return 1;
        return InstanceHandover::Send(runtimeFolder, files, kHandoverTimeoutMs) ? 0 : 1;
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

    std::unique_ptr<InstanceHandover> handover;
    if (!runtimeFolder.empty()) {
        CDuiFrameWnd* main = window.get();
        handover = std::make_unique<InstanceHandover>(runtimeFolder, [main](const QStringList& paths) {
            if (main->isMinimized()) main->showNormal();
            main->raise();
            main->activateWindow();
            main->DropFiles(paths);
        });
        handover->Listen();
    }
    // The files of the command line arrive once the window runs, as a drop would.
    if (!files.empty())
        QTimer::singleShot(0, window.get(), [main = window.get(), paths = toQt(files)] { main->DropFiles(paths); });

    window->ShowModal();
    window->Close();  // after a signal: the same orderly end as a close
    handover.reset();
    driver.reset();
    window.reset();
    return quitSignals.received() != 0 ? 128 + quitSignals.received() : 0;
}
