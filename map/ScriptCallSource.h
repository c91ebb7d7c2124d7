#pragma once
// The script a web view runs for one call of a page function. Names and
// arguments travel as JSON string literals, never as script text, so no
// argument can change what is run. The script evaluates to an object
// {code, detail, value}: code 0 with value the function's return value as
// JSON ("" for undefined), or a negative code of map/ScriptErrors.h.
// Any thread; pure.
#include "map/ScriptCall.h"

#include <string>
#include <vector>

// A JSON string literal of UTF-8 text (quotes included).
std::string jsonStringLiteral(const std::string& text);

// arguments in list order.
std::string scriptCallSource(const std::string& function, const std::vector<std::string>& arguments);

// Runs every call in order, whatever an earlier one did, and evaluates to
// the first failure, or to code 0 with an empty value.
std::string scriptCallsSource(const std::vector<ScriptCall>& calls);
