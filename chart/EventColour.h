#pragma once
// The colour of an event's kind wherever a tick or mark shows it (the map
// page's marks use the same four). UI thread.
#include "trip/TripEvent.h"

#include <QColor>

inline QColor eventColour(TripEventKind kind) {
    switch (kind) {
        case TripEventKind::Brake:
            return {0xf0, 0xa0, 0x20};
        case TripEventKind::Accel:
            return {0x3c, 0xb3, 0x71};
        case TripEventKind::Impact:
            return {0xe0, 0x30, 0x3a};
        case TripEventKind::Car:
            return {0x3a, 0x7b, 0xe0};
    }
    return {0xe0, 0x30, 0x3a};
}
