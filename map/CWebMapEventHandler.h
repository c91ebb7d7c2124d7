#pragma once
// The handler a map loader registers with the browser: the map page stays
// in the view. Links of the page (the attribution's) and scripts may not
// replace it, since the program's script calls need the page's functions;
// only the program's own loads and reloads go through.
//
// Threads: the browser's (UI) thread. No state.
#include "map/CWebBrowserEventHandler.h"

class CWebMapEventHandler : public CWebBrowserEventHandler {
public:
    void BeforeNavigate2(const std::string& url, NavigationKind kind, bool mainFrame, bool& cancel) override;
};
