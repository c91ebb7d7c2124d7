#include "cameras/CarTiles.h"

#include <algorithm>
#include <vector>

namespace cameras {

namespace {

// The car seen from above, front up.
constexpr CarTile kFour[] = {{CameraChannel::Front, 0, 0},
                             {CameraChannel::Rear, 1, 0},
                             {CameraChannel::LeftRepeater, 0, 1},
                             {CameraChannel::RightRepeater, 1, 1}};
constexpr CarTile kSix[] = {{CameraChannel::Front, 1, 0},        {CameraChannel::Rear, 1, 1},
                            {CameraChannel::LeftRepeater, 0, 1}, {CameraChannel::RightRepeater, 2, 1},
                            {CameraChannel::LeftPillar, 0, 0},   {CameraChannel::RightPillar, 2, 0}};

}  // namespace

std::span<const CarTile> carTiles(bool sixCameras) {
    if (sixCameras) return kSix;
    return kFour;
}

CameraChannel carTileAt(CameraLayout layout, bool sixCameras, CameraChannel large, double x, double y) {
    if (!(x >= 0 && x < 1 && y >= 0 && y < 1)) return CameraChannel::None;
    const auto tiles = carTiles(sixCameras);
    std::vector<CarTile> cells(tiles.begin(), tiles.end());
    const int n = static_cast<int>(cells.size());
    switch (layoutForMany(layout)) {
        case CameraLayout::Grid: {
            const int columns = sixCameras ? 3 : 2;
            const int column = static_cast<int>(x * columns), row = static_cast<int>(y * 2);
            for (const CarTile& cell : cells)
                if (cell.column == column && cell.row == row) return cell.channel;
            return CameraChannel::None;
        }
        case CameraLayout::Strip: {
            // The large camera is n - 1 strip tiles high: the strip is the last nth of the height.
            if (y < static_cast<double>(n - 1) / n) return CameraChannel::None;
            if (large == CameraChannel::None) large = CameraChannel::Front;
            std::erase_if(cells, [large](const CarTile& cell) { return cell.channel == large; });
            const auto index = static_cast<size_t>(x * static_cast<double>(n - 1));
            return index < cells.size() ? cells[index].channel : CameraChannel::None;
        }
        default:
            return CameraChannel::None;
    }
}

}  // namespace cameras
