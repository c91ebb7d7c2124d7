#include "cameras/GridGraph.h"

#include "cameras/CarTiles.h"

#include <algorithm>
#include <cstdlib>

namespace cameras {

namespace {

// Scaling here is a cost of every frame; the tiles are small, so the cheap filter does.
constexpr const char* kScaleFlags = "fast_bilinear";

struct Rect {
    long long x = 0, y = 0, w = 0, h = 0;
    bool shown() const { return w > 0; }
};

long long even(long long n) {
    return std::max(2LL, n / 2 * 2);
}
std::string num(long long n) {
    return std::to_string(n);
}

bool sixCameras(const std::vector<GridCamera>& cameras) {
    return std::any_of(cameras.begin(), cameras.end(), [](const GridCamera& c) {
        return c.channel == CameraChannel::LeftPillar || c.channel == CameraChannel::RightPillar;
    });
}

// Straight to the tile's size; a camera of another shape keeps its aspect, bordered in black.
std::string scaleTo(const GridCamera& camera, const Rect& tile) {
    if (camera.width == tile.w && camera.height == tile.h) return "null";
    const std::string size = num(tile.w) + ":" + num(tile.h);
    const long long a = camera.width * tile.h, b = camera.height * tile.w;
    if (camera.width > 0 && camera.height > 0 && std::llabs(a - b) * 100 <= a)
        return "scale=" + size + ":flags=" + kScaleFlags;
    return "scale=" + size + ":force_original_aspect_ratio=decrease:force_divisible_by=2:flags=" + kScaleFlags +
           ",pad=" + size + ":(ow-iw)/2:(oh-ih)/2";
}

std::string missingLabel(CameraChannel channel, const Rect& tile) {
    return ",drawtext=text='" + std::string(spokenName(channel)) +
           " missing':fontcolor=white:fontsize=" + num(std::max(8LL, std::min(tile.h / 8, tile.w / 14))) +
           ":x=" + num(tile.x) + "+(" + num(tile.w) + "-text_w)/2:y=" + num(tile.y) + "+(" + num(tile.h) + "-text_h)/2";
}

}  // namespace

std::string_view spokenName(CameraChannel channel) {
    switch (channel) {
        case CameraChannel::Front:
            return "front";
        case CameraChannel::Rear:
            return "back";
        case CameraChannel::LeftRepeater:
            return "left repeater";
        case CameraChannel::RightRepeater:
            return "right repeater";
        case CameraChannel::LeftPillar:
            return "left pillar";
        case CameraChannel::RightPillar:
            return "right pillar";
        default:
            return "camera";
    }
}

std::vector<CameraChannel> gridChannels(const std::vector<GridCamera>& cameras) {
    std::vector<CameraChannel> channels;
    for (const CarTile& tile : carTiles(sixCameras(cameras))) channels.push_back(tile.channel);
    return channels;
}

std::string gridGraph(const GridTracks& tracks, CameraLayout layout, CameraChannel large, const GridStyle& style) {
    if (tracks.cameras.empty()) return {};
    const GridCamera& main = tracks.cameras.front();
    if (main.video <= 0 || main.width <= 0 || main.height <= 0) return {};
    const std::vector<CameraChannel> channels = gridChannels(tracks.cameras);
    const size_t n = channels.size();

    // Which camera fills each tile: the main clip its own channel's (the
    // front's when its channel has none), the others theirs.
    std::vector<int> owner(n, -1);
    auto slotOf = [&](CameraChannel c) { return std::find(channels.begin(), channels.end(), c) - channels.begin(); };
    size_t mainSlot = static_cast<size_t>(slotOf(main.channel));
    if (mainSlot >= n) mainSlot = static_cast<size_t>(slotOf(CameraChannel::Front));
    owner[mainSlot] = 0;
    for (size_t i = 1; i < tracks.cameras.size(); ++i) {
        const auto slot = static_cast<size_t>(slotOf(tracks.cameras[i].channel));
        if (slot < n && owner[slot] < 0 && tracks.cameras[i].video > 0) owner[slot] = static_cast<int>(i);
    }
    size_t largeSlot = static_cast<size_t>(slotOf(large));
    if (largeSlot >= n) largeSlot = mainSlot;

    const CameraLayout shape = layoutForMany(layout);
    if (shape == CameraLayout::Single && largeSlot == mainSlot) {
        // The main clip alone needs no composing at all.
        std::string graph = "[vid" + num(main.video) + "]null[vo]";
        if (tracks.mainAudio > 0) graph += ";[aid" + num(tracks.mainAudio) + "]anull[ao]";
        return graph;
    }
    std::vector<Rect> tiles(n);
    long long canvasW = 0, canvasH = 0;
    // The tiles when the large picture (or the grid) is W x H.
    const auto place = [&](long long W, long long H) {
        tiles.assign(n, Rect{});
        canvasW = W;
        canvasH = H;
        if (shape == CameraLayout::Strip) {
            const long long w = even(W / static_cast<long long>(n - 1)), h = even(H / static_cast<long long>(n - 1));
            long long x = 0;
            for (size_t s = 0; s < n; ++s) {
                if (s == largeSlot) continue;
                tiles[s] = {x, H, w, h};
                x += w;
            }
            tiles[largeSlot] = {0, 0, W, H};
            canvasH = H + h;
        } else if (shape == CameraLayout::Single) {
            tiles[largeSlot] = {0, 0, W, H};
        } else {
            const bool six = n == 6;
            const long long w = even(W / (six ? 3 : 2)), h = even(H / (six ? 3 : 2));
            for (size_t s = 0; s < n; ++s) {
                const CarTile& p = carTiles(six)[s];
                tiles[s] = {p.column * w, p.row * h, w, h};
            }
            canvasW = w * (six ? 3 : 2);
            canvasH = h * 2;
        }
    };
    const long long W = even(main.width), H = even(main.height);
    place(W, H);
    // Shown smaller than that, every tile is scaled straight to its size on screen.
    if (style.screenWidth > 0 && style.screenHeight > 0 &&
        (canvasW > style.screenWidth || canvasH > style.screenHeight)) {
        const double f = std::min(static_cast<double>(style.screenWidth) / static_cast<double>(canvasW),
                                  static_cast<double>(style.screenHeight) / static_cast<double>(canvasH));
        place(even(static_cast<long long>(static_cast<double>(W) * f)),
              even(static_cast<long long>(static_cast<double>(H) * f)));
    }

    const auto mirrored = [&](const GridCamera& c) {
        return style.mirrorRear && c.channel == CameraChannel::Rear ? std::string(",hflip") : std::string();
    };
    const std::string canvas = num(canvasW) + ":" + num(canvasH);
    std::string graph = "[vid" + num(main.video) + "]";
    const Rect& mainTile = tiles[mainSlot];
    if (mainTile.shown()) {
        graph += scaleTo(main, mainTile) + mirrored(main) + ",pad=" + canvas + ":" + num(mainTile.x) + ":" +
                 num(mainTile.y) + ":black";
    } else {
        // Not shown, the main clip still keeps the clock: a black canvas made from a corner of its frames.
        graph += "crop=2:2:0:0,lutyuv=y=16:u=128:v=128,scale=" + canvas + ":flags=neighbor";
    }
    graph += ",setsar=1";
    if (style.labels)
        for (size_t s = 0; s < n; ++s)
            if (owner[s] < 0 && tiles[s].shown()) graph += missingLabel(channels[s], tiles[s]);
    int step = 0;
    for (size_t s = 0; s < n; ++s) {
        if (owner[s] <= 0 || !tiles[s].shown()) continue;
        const GridCamera& camera = tracks.cameras[static_cast<size_t>(owner[s])];
        const std::string base = "[c" + num(step) + "]", tile = "[t" + num(step) + "]";
        graph += base + ";[vid" + num(camera.video) + "]" + scaleTo(camera, tiles[s]) + mirrored(camera) + tile + ";" +
                 base + tile + "overlay=x=" + num(tiles[s].x) + ":y=" + num(tiles[s].y) +
                 ":shortest=1:eof_action=repeat";
        ++step;
    }
    graph += "[vo]";
    if (tracks.mainAudio > 0) graph += ";[aid" + num(tracks.mainAudio) + "]anull[ao]";
    return graph;
}

}  // namespace cameras
