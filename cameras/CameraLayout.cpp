#include "cameras/CameraLayout.h"

namespace cameras {

namespace {
constexpr CameraLayout kAll[] = {CameraLayout::Inset, CameraLayout::InsetSwapped, CameraLayout::Side,
                                 CameraLayout::Single};
}

std::string_view layoutName(CameraLayout layout) {
    switch (layout) {
        case CameraLayout::Inset: return "inset";
        case CameraLayout::InsetSwapped: return "inset-swapped";
        case CameraLayout::Side: return "side";
        case CameraLayout::Single: return "single";
    }
    return "inset";
}

std::optional<CameraLayout> parseLayout(std::string_view name) {
    for (const CameraLayout layout : kAll)
        if (layoutName(layout) == name) return layout;
    return std::nullopt;
}

CameraLayout nextLayout(CameraLayout layout) {
    const auto i = static_cast<size_t>(layout);
    return kAll[(i + 1) % std::size(kAll)];
}

}  // namespace cameras
