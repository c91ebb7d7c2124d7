#include "telemetry/TelemetrySample.h"

#include <cmath>

bool plausiblePosition(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90.0 &&
           std::fabs(longitude) <= 180.0 && !(latitude == 0.0 && longitude == 0.0);
}
