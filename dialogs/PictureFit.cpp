#include "dialogs/PictureFit.h"

namespace {
// The shape of the area (338 / 600) as the comparison has always used it.
constexpr float kAreaRatio = 0.563333f;
}  // namespace

PictureRect PictureFit::fit(uint32_t pictureWidth, uint32_t pictureHeight) {
    if (pictureWidth == 0 || pictureHeight == 0) return {0, 0, kAreaWidth, kAreaHeight};
    const float ratio = static_cast<float>(pictureHeight) / static_cast<float>(pictureWidth);
    if (ratio > kAreaRatio) {
        // Relatively taller than the area: full height, centred across.
        const int width = static_cast<int>(static_cast<float>(kAreaHeight) / ratio);
        const int left = (kAreaWidth - width) / 2;
        return {left, 0, left + width, kAreaHeight};
    }
    const int height = static_cast<int>(ratio * static_cast<float>(kAreaWidth));
    const int top = (kAreaHeight - height) / 2;
    return {0, top, kAreaWidth, top + height};
}
