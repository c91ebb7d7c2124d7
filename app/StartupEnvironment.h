#pragma once
// The process environment the program needs on the machines it runs on,
// set before the QApplication exists. A variable the user has set already
// is kept; only Chromium's flags are added to.
// - Wayland session: QT_QPA_PLATFORM=xcb, as the video is embedded by X11
//   window id (through XWayland).
// - Running as root: QTWEBENGINE_DISABLE_SANDBOX=1 (Chromium's sandbox
//   refuses root).
// - No GPU render node: --disable-gpu among QTWEBENGINE_CHROMIUM_FLAGS
//   (after the user's own flags) and QT_QUICK_BACKEND=software, or the web
//   view paints black.
// Apply also makes Qt share OpenGL contexts between windows, which the web
// view needs to be told before the QApplication starts.
//
// Threads: the main thread, before any other thread starts (setenv).
#include <functional>
#include <string>
#include <utility>
#include <vector>

class StartupEnvironment {
public:
    struct Facts {
        bool waylandSession = false;
        bool root = false;
        bool gpu = false;
    };
    using Lookup = std::function<const char*(const char* name)>;
    using Variables = std::vector<std::pair<std::string, std::string>>;

    // The variables to set, given the facts and the current environment.
    static Variables Needed(const Facts& facts, const Lookup& lookup);
    // The facts of this machine and session.
    static Facts Detect();
    // Sets what Needed gives for this process, and the OpenGL context
    // sharing; before the QApplication exists.
    static void Apply();
};
