#pragma once
// Whether the reference's parameter sets fit the cut clip's pictures: its
// first key picture is decoded with them, and any error (or concealed damage)
// means the reference is of another camera, codec setting or picture size.
// Without FFmpeg's libraries the check cannot be made and passes.
//
// Threads: any; one decoder per call, opened and closed in it.
#include <string>

namespace pictureFit {

// keyPicture: the first key sample's bytes as the clip stores them.
bool fits(const std::string& parameterSets, bool hevc, const std::string& keyPicture);

}  // namespace pictureFit
