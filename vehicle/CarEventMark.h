#pragma once
// A saved or sentry event as one clip of its folder sees it: what the car
// wrote, whether the folder is a sentry one, and whether the event's moment
// falls in this clip (the one of its camera that started last before it).
// A plain value; any thread.
#include "vehicle/CarEvent.h"

#include <cstdint>

struct CarEventMark {
    CarEvent event;
    bool sentry = false;
    bool onThisClip = false;  // the event's moment is in this clip
    int64_t timeMs = 0;       // that moment in the clip, when onThisClip
};
