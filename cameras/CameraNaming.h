#pragma once
// The one table of the file names dash cameras write: one entry per camera
// family, tried in order, the first whose shape fits the name wins. Every
// consumer that needs a clip's camera, channel or recorded start from its
// name reads it here: the playlist's partners, trips, events and exports.
//
// A name that has a family's shape but an impossible date or time (month
// 13, 30 February, 24:00) is an unknown name. Letter case is ignored, as
// copies to other file systems change it. Folders count only where a family
// keeps its channels in sibling folders ("Front/", "Back/").
//
// Pure; any thread.
#include "cameras/ClipName.h"

#include <string_view>

namespace cameras {

class CameraNaming {
public:
    // path: a file name, or a path whose last part is one.
    static ClipName parse(std::string_view path);
};

}  // namespace cameras
