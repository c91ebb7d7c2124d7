#pragma once
// A car's camera folder of tiny clips without data of their own, as the
// car's USB drive holds it: TeslaCam/SavedClips/2026-12-07_10-00-00/ (front
// and back of 09:59:00, a horn-saved event at 09:59:01 in "Köln <b>", at
// 50.9375, 6.9603) and TeslaCam/SentryClips/2026-12-08_01-00-00/ (front of
// 00:59:00, an object seen at 00:59:02 in Ulm, at 48.4011, 9.9876).
#include <string>

namespace testing_support {

// Writes the tree below root (ending in "/"); "" or ffmpeg's complaint.
std::string makeCarFolderTree(const std::string& root);

}  // namespace testing_support
