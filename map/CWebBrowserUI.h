#pragma once
// The browser control "WebMap": a web view that loads a local map page and
// calls the page's script functions (ScriptHost).
//
// Threads: the widget lives on the UI thread. NavigateUrl and
// SetWebBrowserEventHandler may be called from another thread (the start-up
// thread opens the map page): they are queued for the UI thread and return
// at once, so that thread never waits for the UI thread and a window that
// waits for it while closing cannot deadlock. Queued calls are dropped when
// the control is gone first; the caller must not call it once it may be
// destroyed. InvokeMethod works on the UI thread only.
// Lifecycle: created by the main window's control factory; loads nothing
// until NavigateUrl. A script call works from the end of a successful load
// until the next load starts (or the page's process ends); a load that is
// stopped before it replaced the page (a refused link) leaves the page usable.
#include "map/ScriptHost.h"

#include <QStringList>
#include <QWebEngineView>

class QWebEngineLoadingInfo;
class WebBrowserPage;

class CWebBrowserUI : public QWebEngineView, public ScriptHost {
    Q_OBJECT
public:
    explicit CWebBrowserUI(QWidget* parent = nullptr);
    ~CWebBrowserUI() override;

    void SetWebBrowserEventHandler(std::shared_ptr<CWebBrowserEventHandler> handler) override;
    void NavigateUrl(const std::string& url) override;
    void SetStartupScript(const std::string& name, const std::string& source) override;
    int32_t InvokeMethod(const std::string& function, const std::string* reversedArguments, size_t count,
                         ScriptReply reply) override;
    int32_t InvokeMethods(const std::vector<ScriptCall>& calls, ScriptReply reply) override;

    // True while a successfully loaded page is shown and no load is going on.
    bool IsPageLoaded() const { return documentReady_ && !loading_; }
    // Error messages of the page's script console since the last NavigateUrl.
    const QStringList& ScriptErrors() const { return scriptErrors_; }

signals:
    // A load ended: ok when the page is ready for script calls.
    void pageLoaded(bool ok);

private:
    void navigateNow(const QString& url);
    void setStartupScriptNow(const QString& name, const QString& source);
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onConsoleMessage(int level, const QString& message, int lineNumber, const QString& sourceID);
    bool onOwnThread() const;
    void run(const QString& source, ScriptReply reply);

    WebBrowserPage* page_ = nullptr;
    bool documentReady_ = false;  // the page shown is a successfully loaded one
    bool loading_ = false;
    QStringList scriptErrors_;
};
