#pragma once
// Calls script functions of the page in a browser control with text
// arguments and keeps the reason of the last failure. A call returns false
// at once when it cannot be made (no page loaded); a failure the page
// reports afterwards (no such function, an exception) is recorded when it
// arrives. lastError is "JSCall Error:\n" followed by the reason.
//
// Threads: the browser's (UI) thread only. Owned by a map loader; replies
// that arrive after it is gone are dropped.
#include "map/ScriptHost.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CWebPage {
public:
    // Receives the function's return value as JSON ("" for undefined) once
    // the page has run it.
    using ScriptResult = std::function<void(const std::string& value)>;

    CWebPage();
    virtual ~CWebPage();
    CWebPage(const CWebPage&) = delete;
    CWebPage& operator=(const CWebPage&) = delete;

    bool callScript(ScriptHost& browser, const std::string& function, const std::vector<std::string>& arguments,
                    ScriptResult result = {});
    bool callScript0(ScriptHost& browser, const std::string& function, ScriptResult result = {});
    bool callScript2(ScriptHost& browser, const std::string& function, const std::string& first,
                     const std::string& second, ScriptResult result = {});
    // The calls in order, sent as one; result gets an empty value.
    bool callScripts(ScriptHost& browser, const std::vector<ScriptCall>& calls, ScriptResult result = {});

    const std::string& lastError() const { return state_->lastError; }

    // "JSCall Error:\n" and the reason for a failure code; detail (what the
    // page said) follows on a line of its own when there is one.
    static std::string errorText(int32_t code, const std::string& detail = {});

private:
    ScriptReply replyTo(ScriptResult result);
    bool sent(int32_t code);

    struct State {
        std::string lastError;
    };
    std::shared_ptr<State> state_;
};
