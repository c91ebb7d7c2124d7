#pragma once
// A browser control that records what the map code asks of it and answers
// script calls as a test tells it to.
#include "map/ScriptErrors.h"
#include "map/ScriptHost.h"

#include <string>
#include <vector>

struct RecordedCall {
    std::string function;
    std::vector<std::string> reversed;  // as handed over: last argument first

    std::vector<std::string> arguments() const { return {reversed.rbegin(), reversed.rend()}; }
};

class RecordingScriptHost : public ScriptHost {
public:
    void SetWebBrowserEventHandler(std::shared_ptr<CWebBrowserEventHandler> h) override { handler = std::move(h); }
    void NavigateUrl(const std::string& url) override { navigations.push_back(url); }
    int32_t InvokeMethod(const std::string& function, const std::string* reversedArguments, size_t count,
                         ScriptReply reply) override {
        calls.push_back({function, std::vector<std::string>(reversedArguments, reversedArguments + count)});
        if (immediateCode < 0) return immediateCode;
        replies.push_back(std::move(reply));
        return SCRIPT_OK;
    }

    // The function names called, in order.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& call : calls) out.push_back(call.function);
        return out;
    }

    std::shared_ptr<CWebBrowserEventHandler> handler;
    std::vector<std::string> navigations;
    std::vector<RecordedCall> calls;
    std::vector<ScriptReply> replies;  // of the calls that went to the "page"
    int32_t immediateCode = SCRIPT_OK;
};
