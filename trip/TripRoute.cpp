#include "trip/TripRoute.h"

#include "trip/RouteSimplifier.h"

size_t TripRoute::clipIndexOf(const std::string& path) const {
    for (size_t i = 0; i < clipPaths.size(); ++i)
        if (clipPaths[i] == path) return i;
    return clipPaths.size();
}

void TripRoute::thinForDrawing() {
    clipMarks.clear();
    for (size_t c = 0; c < clipFirstFix.size(); ++c) {
        const size_t first = clipFirstFix[c];
        // A clip without a fix has its next clip's first fix: no mark of its own.
        if (first < fixes.size() && fixes[first].clip == c) clipMarks.push_back(first);
    }
    drawn = fixes.empty() ? std::vector<size_t>{}
                          : RouteSimplifier::simplify(fixes, clipMarks,
                                                      RouteSimplifier::screenTolerance(fixes, kViewPixels));
}
