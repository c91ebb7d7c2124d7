#include "cameras/InsetGraph.h"

namespace cameras {

std::string insetGraph(std::string_view big, std::string_view small) {
    std::string graph;
    graph.append("[").append(small).append("][").append(big).append("]");
    graph +=
        "scale2ref=w=trunc(main_w/8)*2:h=-2:flags=fast_bilinear[inset][base];"
        "[base][inset]overlay=x=W-w-trunc(W/64):y=H-h-trunc(W/64):shortest=1:eof_action=repeat";
    return graph;
}

}  // namespace cameras
