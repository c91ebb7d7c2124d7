#include "map/ScriptErrors.h"

std::string scriptErrorText(int32_t code) {
    switch (code) {
        case SCRIPT_E_NO_PAGE:
            return "No page is loaded.";
        case SCRIPT_E_UNKNOWN_NAME:
            return "Unknown name.";
        case SCRIPT_E_EXCEPTION:
            return "Exception occurred.";
        case SCRIPT_E_NO_ANSWER:
            return "The page did not answer.";
        case SCRIPT_E_WRONG_THREAD:
            return "Script calls are made on the browser's thread only.";
        default:
            break;
    }
    return {};
}
