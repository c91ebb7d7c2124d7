#include "map/CWebPage.h"

#include "map/ScriptErrors.h"

CWebPage::CWebPage() : state_(std::make_shared<State>()) {}

CWebPage::~CWebPage() = default;

bool CWebPage::callScript(ScriptHost& browser, const std::string& function, const std::vector<std::string>& arguments,
                          ScriptResult result) {
    // The browser takes the arguments last first.
    const std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    return sent(browser.InvokeMethod(function, reversed.data(), reversed.size(), replyTo(std::move(result))));
}

bool CWebPage::callScripts(ScriptHost& browser, const std::vector<ScriptCall>& calls, ScriptResult result) {
    return sent(browser.InvokeMethods(calls, replyTo(std::move(result))));
}

ScriptReply CWebPage::replyTo(ScriptResult result) {
    std::weak_ptr<State> state = state_;
    return [state, result = std::move(result)](const ScriptOutcome& outcome) {
        if (outcome.code < 0) {
            if (auto alive = state.lock()) alive->lastError = errorText(outcome.code, outcome.detail);
            return;
        }
        if (result) result(outcome.value);
    };
}

bool CWebPage::sent(int32_t code) {
    if (code < 0) {
        state_->lastError = errorText(code);
        return false;
    }
    return true;
}

bool CWebPage::callScript0(ScriptHost& browser, const std::string& function, ScriptResult result) {
    return callScript(browser, function, {}, std::move(result));
}

bool CWebPage::callScript2(ScriptHost& browser, const std::string& function, const std::string& first,
                           const std::string& second, ScriptResult result) {
    return callScript(browser, function, {first, second}, std::move(result));
}

std::string CWebPage::errorText(int32_t code, const std::string& detail) {
    std::string reason = scriptErrorText(code);
    if (reason.empty()) reason = "FormatMessage Netive Error";
    if (!detail.empty()) reason += "\n" + detail;
    return "JSCall Error:\n" + reason;
}
