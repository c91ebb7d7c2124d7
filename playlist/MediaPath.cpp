#include "playlist/MediaPath.h"

MediaPath MediaPath::Split(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {{}, std::string(path)};
    return {std::string(path.substr(0, slash + 1)), std::string(path.substr(slash + 1))};
}
