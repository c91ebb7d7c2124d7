#pragma once
// Result codes of script calls into a page: 0 or a negative failure.
#include <cstdint>
#include <string>

constexpr int32_t SCRIPT_OK = 0;
constexpr int32_t SCRIPT_E_NO_PAGE = -1;       // no page loaded (yet), or it failed to load
constexpr int32_t SCRIPT_E_UNKNOWN_NAME = -2;  // the page defines no such function
constexpr int32_t SCRIPT_E_EXCEPTION = -3;     // the function threw
constexpr int32_t SCRIPT_E_NO_ANSWER = -4;     // the page went away before it answered
constexpr int32_t SCRIPT_E_WRONG_THREAD = -5;  // called off the thread that owns the browser

// The text of a failure code; empty for a code without one.
std::string scriptErrorText(int32_t code);
