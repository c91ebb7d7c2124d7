#include "engine/ScreenshotNamer.h"

#include <sys/stat.h>
#include <cstdio>

namespace engine {

std::string ScreenshotNamer::next() {
    while (counter_ <= kLastNumber) {
        char name[32];
        std::snprintf(name, sizeof name, "shot%04d.png", counter_++);
        struct stat st;
        // lstat: a dangling link counts as taken, so it is never written through.
        if (::lstat((folder_ + name).c_str(), &st) != 0) return name;
    }
    return {};
}

}  // namespace engine
