#pragma once
// The time zones the settings window offers for the times of a clip's data:
// the computer's own, UTC, and the fixed offsets in use on earth (for a
// camera whose clock or zone was set wrong). A stored zone that is none of
// them (a hand-edited file) is offered too, so OK keeps it.
// A plain function; any thread.
#include "telemetry/DisplayZone.h"

#include <vector>

std::vector<DisplayZone> timeZoneChoices(const DisplayZone& stored);
