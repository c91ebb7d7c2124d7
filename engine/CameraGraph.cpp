#include "engine/CameraGraph.h"

#include "cameras/InsetGraph.h"

#include <algorithm>

namespace engine {

namespace {

std::string even(long long n) { return std::to_string(std::max(2LL, n / 2 * 2)); }

}  // namespace

std::string cameraGraph(const CameraTracks& t, cameras::CameraLayout layout, bool mirrorPartner) {
    using cameras::CameraLayout;
    if (t.mainVideo <= 0 || t.partnerVideo <= 0 || t.width <= 0 || t.height <= 0) return {};
    const std::string mainLabel = "vid" + std::to_string(t.mainVideo);
    const std::string main = "[" + mainLabel + "]";
    // The partner keeps its last frame, so a shorter one freezes instead of ending the picture.
    const std::string partner = "[vid" + std::to_string(t.partnerVideo) + "]" + (mirrorPartner ? "hflip," : "") +
                                "tpad=stop=-1:stop_mode=clone";
    const std::string w = even(t.width), h = even(t.height);
    std::string graph;
    switch (cameras::layoutForTwo(layout)) {
        case CameraLayout::Inset:
            graph = partner + "[small];" + cameras::insetGraph(mainLabel, "small") + "[vo]";
            break;
        case CameraLayout::InsetSwapped:
            // The partner fills the main clip's frame size; the main clip is the inset.
            graph = partner + ",scale=" + w + ":" + h + ":force_original_aspect_ratio=decrease,pad=" + w + ":" + h +
                    ":(ow-iw)/2:(oh-ih)/2,setsar=1[big];" + cameras::insetGraph("big", mainLabel) + "[vo]";
            break;
        case CameraLayout::Side:
            graph = main + "setsar=1,pad=" + even(t.width * 2) + ":" + h + "[big];" + partner + ",scale=" + w + ":" +
                    h + ":force_original_aspect_ratio=decrease,pad=" + w + ":" + h + ":(ow-iw)/2:(oh-ih)/2,setsar=1[small];" +
                    "[big][small]overlay=x=" + w + ":y=0:shortest=1:eof_action=repeat[vo]";
            break;
        case CameraLayout::Single:
        case CameraLayout::Grid:   // never after layoutForTwo
        case CameraLayout::Strip:
            graph = main + "null[vo]";
            break;
    }
    if (t.mainAudio > 0) graph += ";[aid" + std::to_string(t.mainAudio) + "]anull[ao]";
    return graph;
}

}  // namespace engine
