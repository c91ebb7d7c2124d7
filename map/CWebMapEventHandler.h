#pragma once
// The handler a map loader registers with the browser: the map page stays
// in the view. Links of the page (the attribution's) and scripts may not
// replace it, since the program's script calls need the page's functions;
// only the program's own loads and reloads go through. An owner that must
// put back what a fresh page lacks gives a callback for each successful load.
//
// Threads: the browser's (UI) thread, the callback too.
#include "map/CWebBrowserEventHandler.h"

#include <functional>
#include <utility>

class CWebMapEventHandler : public CWebBrowserEventHandler {
public:
    CWebMapEventHandler() = default;
    explicit CWebMapEventHandler(std::function<void()> onLoaded) : onLoaded_(std::move(onLoaded)) {}

    void BeforeNavigate2(const std::string& url, NavigationKind kind, bool mainFrame, bool& cancel) override;
    void DocumentComplete(const std::string& url, bool ok) override;

private:
    std::function<void()> onLoaded_;
};
