#pragma once
// Where the snapshot preview draws a picture: the picture fitted into the
// preview area, keeping its shape and centred along the other direction.
//
// Threads: any.
#include <cstdint>

struct PictureRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PictureRect&) const = default;
};

class PictureFit {
public:
    static constexpr int kAreaWidth = 600;
    static constexpr int kAreaHeight = 338;

    // A picture of unknown size (a side of 0) takes the whole area.
    static PictureRect fit(uint32_t pictureWidth, uint32_t pictureHeight);
};
