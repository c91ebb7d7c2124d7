#pragma once
// Notifications of a browser control (ScriptHost) about its page. Every
// operation has a default; a handler overrides what it needs.
//
// Threads: called on the browser's (UI) thread. The control keeps the
// handler it is given alive for as long as it uses it.
#include <cstdint>
#include <string>

class CWebBrowserEventHandler {
public:
    // Why the view is about to load a document into its page.
    enum class NavigationKind { Program, LinkClicked, FormSubmitted, BackForward, Reload, Redirect, Other };
    enum class ConsoleLevel { Info, Warning, Error };

    virtual ~CWebBrowserEventHandler() = default;

    // Before a document loads; cancel keeps the current one. Default: load.
    virtual void BeforeNavigate2(const std::string& url, NavigationKind kind, bool mainFrame, bool& cancel) {
        (void)url, (void)kind, (void)mainFrame, (void)cancel;
    }
    // The page finished loading (ok) or failed to.
    virtual void DocumentComplete(const std::string& url, bool ok) { (void)url, (void)ok; }
    // A message of the page's script console, an uncaught exception included.
    virtual void ConsoleMessage(ConsoleLevel level, const std::string& message, int32_t line,
                                const std::string& source) {
        (void)level, (void)message, (void)line, (void)source;
    }
};
