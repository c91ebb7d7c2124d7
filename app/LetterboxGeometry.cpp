#include "app/LetterboxGeometry.h"

VideoBox fitVideoBox(const VideoBox& box, double aspect) {
    const int w = box.width;
    const int h = box.height;
    if (h <= 0 || !(aspect > 0.0) || w <= 0) return box;
    const double boxRatio = static_cast<double>(w) / static_cast<double>(h);
    if (boxRatio > aspect) {
        // Wider than the video: bars left and right.
        const int newWidth = static_cast<int>(h * aspect);
        return {box.x + (w - newWidth) / 2, box.y, newWidth, h};
    }
    // As wide or narrower: bars above and below.
    const int newHeight = static_cast<int>(w / aspect);
    return {box.x, box.y + (h - newHeight) / 2, w, newHeight};
}
