#pragma once
// Hands out the snapshot names "shot0001.png", "shot0002.png", ... : the
// next number that is neither taken in the folder nor handed out before by
// this engine, so quick snapshots in a row never share a name and earlier
// snapshots (of other clips) are never overwritten.
// Single-threaded; used by the engine's main thread.
#include <string>

namespace engine {

class ScreenshotNamer {
public:
    // folder: where the files go, ending in "/"; empty means the working folder.
    explicit ScreenshotNamer(std::string folder = {}) : folder_(std::move(folder)) {}

    // The file name (without the folder), or empty when every number is taken.
    std::string next();

private:
    static constexpr int kLastNumber = 99999;
    std::string folder_;
    int counter_ = 1;
};

}  // namespace engine
