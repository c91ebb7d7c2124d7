#include "map/CWebBrowserUI.h"

#include "map/ScriptCallSource.h"
#include "map/ScriptErrors.h"
#include "map/WebBrowserPage.h"

#include <QThread>
#include <QUrl>
#include <QVariantMap>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <vector>

CWebBrowserUI::CWebBrowserUI(QWidget* parent) : QWebEngineView(parent), page_(new WebBrowserPage(this)) {
    // The map page is local; its tiles come from the map services.
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    setPage(page_);
    setContextMenuPolicy(Qt::NoContextMenu);  // "Back", "Reload" and friends would leave the map
    connect(page_, &QWebEnginePage::loadingChanged, this, &CWebBrowserUI::onLoadingChanged);
    connect(page_, &WebBrowserPage::consoleMessage, this, &CWebBrowserUI::onConsoleMessage);
    connect(page_, &QWebEnginePage::renderProcessTerminated, this, [this] { documentReady_ = false; });
}

CWebBrowserUI::~CWebBrowserUI() = default;  // the page is a child: it goes with the view

bool CWebBrowserUI::onOwnThread() const {
    return QThread::currentThread() == thread();
}

void CWebBrowserUI::SetWebBrowserEventHandler(std::shared_ptr<CWebBrowserEventHandler> handler) {
    if (!onOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, handler = std::move(handler)]() mutable { SetWebBrowserEventHandler(std::move(handler)); },
            Qt::QueuedConnection);
        return;
    }
    page_->setHandler(std::move(handler));
}

void CWebBrowserUI::NavigateUrl(const std::string& url) {
    const QString text = QString::fromStdString(url);
    if (!onOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { navigateNow(text); }, Qt::QueuedConnection);
        return;
    }
    navigateNow(text);
}

void CWebBrowserUI::SetStartupScript(const std::string& name, const std::string& source) {
    const QString scriptName = QString::fromStdString(name);
    const QString code = QString::fromStdString(source);
    if (!onOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, scriptName, code] { setStartupScriptNow(scriptName, code); }, Qt::QueuedConnection);
        return;
    }
    setStartupScriptNow(scriptName, code);
}

void CWebBrowserUI::setStartupScriptNow(const QString& name, const QString& source) {
    QWebEngineScriptCollection& scripts = page_->scripts();
    for (const QWebEngineScript& old : scripts.find(name)) scripts.remove(old);
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    scripts.insert(script);
}

void CWebBrowserUI::navigateNow(const QString& url) {
    // A path is a local file; anything with a scheme is taken as a URL.
    const QUrl target = url.startsWith(u'/') ? QUrl::fromLocalFile(url) : QUrl(url);
    scriptErrors_.clear();
    page_->load(target);
}

int32_t CWebBrowserUI::InvokeMethod(const std::string& function, const std::string* reversedArguments, size_t count,
                                    ScriptReply reply) {
    if (!onOwnThread()) return SCRIPT_E_WRONG_THREAD;
    if (!IsPageLoaded()) return SCRIPT_E_NO_PAGE;
    std::vector<std::string> arguments;
    arguments.reserve(count);
    for (size_t i = count; i > 0; --i) arguments.push_back(reversedArguments[i - 1]);
    run(QString::fromStdString(scriptCallSource(function, arguments)), std::move(reply));
    return SCRIPT_OK;
}

int32_t CWebBrowserUI::InvokeMethods(const std::vector<ScriptCall>& calls, ScriptReply reply) {
    if (!onOwnThread()) return SCRIPT_E_WRONG_THREAD;
    if (!IsPageLoaded()) return SCRIPT_E_NO_PAGE;
    run(QString::fromStdString(scriptCallsSource(calls)), std::move(reply));
    return SCRIPT_OK;
}

void CWebBrowserUI::run(const QString& source, ScriptReply reply) {
    page_->runJavaScript(source, 0, [reply = std::move(reply)](const QVariant& answer) {
        if (!reply) return;
        ScriptOutcome outcome;
        const QVariantMap map = answer.toMap();
        if (map.isEmpty() || !map.contains(QStringLiteral("code"))) {
            outcome.code = SCRIPT_E_NO_ANSWER;  // the page was replaced or ended meanwhile
        } else {
            outcome.code = map.value(QStringLiteral("code")).toInt();
            outcome.detail = map.value(QStringLiteral("detail")).toString().toStdString();
            outcome.value = map.value(QStringLiteral("value")).toString().toStdString();
        }
        reply(outcome);
    });
}

void CWebBrowserUI::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            loading_ = true;
            return;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            loading_ = false;  // stopped before it replaced the page
            return;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
        case QWebEngineLoadingInfo::LoadFailedStatus:
            break;
    }
    loading_ = false;
    const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && !info.isErrorPage();
    documentReady_ = ok;
    if (const auto& handler = page_->handler()) handler->DocumentComplete(info.url().toString().toStdString(), ok);
    emit pageLoaded(ok);
}

void CWebBrowserUI::onConsoleMessage(int level, const QString& message, int lineNumber, const QString& sourceID) {
    if (level != QWebEnginePage::ErrorMessageLevel) return;
    scriptErrors_.append(QStringLiteral("%1:%2: %3").arg(sourceID).arg(lineNumber).arg(message));
}
