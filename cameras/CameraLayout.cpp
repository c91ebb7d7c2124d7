#include "cameras/CameraLayout.h"

#include <iterator>

namespace cameras {

namespace {
constexpr CameraLayout kAll[] = {CameraLayout::Inset,  CameraLayout::InsetSwapped, CameraLayout::Side,
                                 CameraLayout::Single, CameraLayout::Grid,         CameraLayout::Strip};
constexpr CameraLayout kTwo[] = {CameraLayout::Inset, CameraLayout::InsetSwapped, CameraLayout::Side,
                                 CameraLayout::Single};
constexpr CameraLayout kMany[] = {CameraLayout::Grid, CameraLayout::Strip, CameraLayout::Single};

template <size_t N>
CameraLayout after(const CameraLayout (&cycle)[N], CameraLayout layout) {
    for (size_t i = 0; i < N; ++i)
        if (cycle[i] == layout) return cycle[(i + 1) % N];
    return cycle[0];
}
}  // namespace

std::string_view layoutName(CameraLayout layout) {
    switch (layout) {
        case CameraLayout::Inset:
            return "inset";
        case CameraLayout::InsetSwapped:
            return "inset-swapped";
        case CameraLayout::Side:
            return "side";
        case CameraLayout::Single:
            return "single";
        case CameraLayout::Grid:
            return "grid";
        case CameraLayout::Strip:
            return "strip";
    }
    return "inset";
}

std::optional<CameraLayout> parseLayout(std::string_view name) {
    for (const CameraLayout layout : kAll)
        if (layoutName(layout) == name) return layout;
    return std::nullopt;
}

CameraLayout layoutForTwo(CameraLayout layout) {
    if (layout == CameraLayout::Grid) return CameraLayout::Side;
    if (layout == CameraLayout::Strip) return CameraLayout::Inset;
    return layout;
}

CameraLayout layoutForMany(CameraLayout layout) {
    if (layout == CameraLayout::Side) return CameraLayout::Grid;
    if (layout == CameraLayout::Inset || layout == CameraLayout::InsetSwapped) return CameraLayout::Strip;
    return layout;
}

CameraLayout nextLayout(CameraLayout layout, bool manyCameras) {
    return manyCameras ? after(kMany, layoutForMany(layout)) : after(kTwo, layoutForTwo(layout));
}

}  // namespace cameras
