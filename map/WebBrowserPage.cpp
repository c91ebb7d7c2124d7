#include "map/WebBrowserPage.h"

#include "map/MapWebProfile.h"

namespace {

CWebBrowserEventHandler::NavigationKind navigationKind(QWebEnginePage::NavigationType type) {
    using Kind = CWebBrowserEventHandler::NavigationKind;
    switch (type) {
        case QWebEnginePage::NavigationTypeTyped:
            return Kind::Program;  // load() and setUrl() of the program
        case QWebEnginePage::NavigationTypeLinkClicked:
            return Kind::LinkClicked;
        case QWebEnginePage::NavigationTypeFormSubmitted:
            return Kind::FormSubmitted;
        case QWebEnginePage::NavigationTypeBackForward:
            return Kind::BackForward;
        case QWebEnginePage::NavigationTypeReload:
            return Kind::Reload;
        case QWebEnginePage::NavigationTypeRedirect:
            return Kind::Redirect;
        default:
            break;
    }
    return Kind::Other;
}

}  // namespace

WebBrowserPage::WebBrowserPage(QObject* parent) : QWebEnginePage(MapWebProfile::shared(), parent) {}

bool WebBrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (!handler_) return true;
    bool cancel = false;
    handler_->BeforeNavigate2(url.toString().toStdString(), navigationKind(type), isMainFrame, cancel);
    return !cancel;
}

void WebBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                              int lineNumber, const QString& sourceID) {
    emit consoleMessage(static_cast<int>(level), message, lineNumber, sourceID);
    if (!handler_) return;
    using Level = CWebBrowserEventHandler::ConsoleLevel;
    const Level converted = level == ErrorMessageLevel     ? Level::Error
                            : level == WarningMessageLevel ? Level::Warning
                                                           : Level::Info;
    handler_->ConsoleMessage(converted, message.toStdString(), lineNumber, sourceID.toStdString());
}
