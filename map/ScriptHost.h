#pragma once
// The browser control as the map code sees it: it loads a page, takes an
// event handler, and calls a named function of the loaded page with text
// arguments. CWebBrowserUI is the real one (a web view); tests record.
//
// Threads: NavigateUrl and SetWebBrowserEventHandler may be called from any
// thread (a web view queues them for its own thread); InvokeMethod only on
// the thread that owns the control. Replies arrive later on that thread,
// or never when the page goes away first.
#include "map/CWebBrowserEventHandler.h"
#include "map/ScriptCall.h"
#include "map/ScriptErrors.h"
#include "map/ScriptOutcome.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ScriptHost {
public:
    virtual ~ScriptHost() = default;

    // Kept (shared) for the following pages; null removes it.
    virtual void SetWebBrowserEventHandler(std::shared_ptr<CWebBrowserEventHandler> handler) = 0;
    // A local file path (absolute) or a URL.
    virtual void NavigateUrl(const std::string& url) = 0;
    // A script run at the start of every page loaded from now on, before the
    // page's own scripts; a later one of the same name replaces it. Called
    // as NavigateUrl is, before the navigation it is meant for.
    virtual void SetStartupScript(const std::string& name, const std::string& source) {
        (void)name;
        (void)source;
    }
    // Calls `function` of the loaded page. The array holds the `count`
    // arguments last first (element 0 is the last argument), as the page's
    // calling convention has it; the page receives them in list order.
    // Returns SCRIPT_OK when the call went to the page (its outcome comes
    // through reply, which may be empty) or a negative code when it could
    // not be made (reply is not called then).
    virtual int32_t InvokeMethod(const std::string& function, const std::string* reversedArguments, size_t count,
                                 ScriptReply reply) = 0;
    // Makes the calls in order, as InvokeMethod would one by one; a web view
    // sends them as one script, which the page runs at the cost of one.
    // reply gets the first failure the page reports, or success.
    virtual int32_t InvokeMethods(const std::vector<ScriptCall>& calls, ScriptReply reply) {
        int32_t code = SCRIPT_OK;
        for (size_t i = 0; i < calls.size() && code >= 0; ++i) {
            const std::vector<std::string> reversed(calls[i].arguments.rbegin(), calls[i].arguments.rend());
            code = InvokeMethod(calls[i].function, reversed.data(), reversed.size(),
                                i + 1 == calls.size() ? std::move(reply) : ScriptReply{});
        }
        return code;
    }
};
