#include "trip/TripRoute.h"

size_t TripRoute::clipIndexOf(const std::string& path) const {
    for (size_t i = 0; i < clipPaths.size(); ++i)
        if (clipPaths[i] == path) return i;
    return clipPaths.size();
}
