#include "trip/TripEvent.h"

std::string_view tripEventKindName(TripEventKind kind) {
    switch (kind) {
        case TripEventKind::Brake:
            return "brake";
        case TripEventKind::Accel:
            return "accel";
        case TripEventKind::Impact:
            return "impact";
        case TripEventKind::Car:
            return "car";
    }
    return "brake";
}
