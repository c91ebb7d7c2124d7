#pragma once
// The web page inside CWebBrowserUI, on the map's own profile
// (MapWebProfile): hands navigation requests and console messages to the
// control's event handler, and announces console messages.
//
// Threads: the UI thread. Owned by its CWebBrowserUI.
#include "map/CWebBrowserEventHandler.h"

#include <QWebEnginePage>
#include <memory>

class WebBrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit WebBrowserPage(QObject* parent);

    void setHandler(std::shared_ptr<CWebBrowserEventHandler> handler) { handler_ = std::move(handler); }
    const std::shared_ptr<CWebBrowserEventHandler>& handler() const { return handler_; }

signals:
    void consoleMessage(int level, const QString& message, int lineNumber, const QString& sourceID);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;

private:
    std::shared_ptr<CWebBrowserEventHandler> handler_;
};
