#include "trip/RouteSimplifier.h"

#include "trip/RouteGeometry.h"

#include <algorithm>
#include <utility>

std::vector<size_t> RouteSimplifier::simplify(const std::vector<RouteFix>& fixes, const std::vector<size_t>& keep,
                                              double toleranceMetres) {
    const size_t count = fixes.size();
    std::vector<size_t> out;
    if (count == 0) return out;
    if (!(toleranceMetres > 0.0) || count <= 2) {
        out.resize(count);
        for (size_t i = 0; i < count; ++i) out[i] = i;
        return out;
    }
    const FlatProjection flat(fixes);
    std::vector<FlatPoint> points(count);
    for (size_t i = 0; i < count; ++i) points[i] = flat.project(fixes[i].latitude, fixes[i].longitude);

    std::vector<char> kept(count, 0);
    kept.front() = kept.back() = 1;
    for (size_t k : keep)
        if (k < count) kept[k] = 1;

    // Each span between two fixed points is thinned on its own, so the
    // boundary fixes stay and the work splits as the recursion would.
    const double limit = toleranceMetres * toleranceMetres;
    std::vector<std::pair<size_t, size_t>> spans;
    size_t start = 0;
    for (size_t i = 1; i < count; ++i) {
        if (!kept[i]) continue;
        if (i - start > 1) spans.emplace_back(start, i);
        start = i;
    }
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = -1.0;
        size_t at = first;
        for (size_t i = first + 1; i < last; ++i) {
            const double d = squaredSegmentDistance(points[i], points[first], points[last]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest <= limit) continue;
        kept[at] = 1;
        if (at - first > 1) spans.emplace_back(first, at);
        if (last - at > 1) spans.emplace_back(at, last);
    }
    for (size_t i = 0; i < count; ++i)
        if (kept[i]) out.push_back(i);
    return out;
}

double RouteSimplifier::screenTolerance(const std::vector<RouteFix>& fixes, double viewPixels) {
    if (fixes.empty() || !(viewPixels >= 1.0)) return 0.0;
    const FlatProjection flat(fixes);
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    bool first = true;
    for (const RouteFix& f : fixes) {
        const FlatPoint p = flat.project(f.latitude, f.longitude);
        if (first) {
            minX = maxX = p.x;
            minY = maxY = p.y;
            first = false;
            continue;
        }
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return std::max(maxX - minX, maxY - minY) / viewPixels / 2.0;
}
