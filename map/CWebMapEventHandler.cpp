#include "map/CWebMapEventHandler.h"

void CWebMapEventHandler::BeforeNavigate2(const std::string& url, NavigationKind kind, bool mainFrame, bool& cancel) {
    (void)url;
    if (!mainFrame) return;  // frames inside the page do not take its functions away
    cancel = kind != NavigationKind::Program && kind != NavigationKind::Reload;
}

void CWebMapEventHandler::DocumentComplete(const std::string& url, bool ok) {
    (void)url;
    if (ok && onLoaded_) onLoaded_();
}
