#pragma once
// The words for the reasons a car gives for saving an event; a reason it
// does not know is shown as written. Pure; any thread.
#include <string>
#include <string_view>

class CarEventReason {
public:
    // sentry: the event's folder is a parked one (the words for an empty reason).
    static std::string text(std::string_view reason, bool sentry);
};
