#pragma once
// One call of a page function: its name and its text arguments, in list
// order. Several go to the page as one script (ScriptHost::InvokeMethods).
#include <string>
#include <vector>

struct ScriptCall {
    std::string function;
    std::vector<std::string> arguments;
};
