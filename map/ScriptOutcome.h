#pragma once
// The page's answer to one script call, delivered after the call returned.
#include <cstdint>
#include <functional>
#include <string>

struct ScriptOutcome {
    int32_t code = 0;    // 0 success, negative: failure (map/ScriptErrors.h)
    std::string detail;  // failure: what the page said (an exception's text), may be empty
    std::string value;   // success: the function's return value as JSON, empty for undefined
};

using ScriptReply = std::function<void(const ScriptOutcome&)>;
