#pragma once
// The default reference of a cut clip: a healthy clip in the same folder, of
// the same camera channel (the letter ending the name's stem), with the same
// extension, not itself a repaired copy, whose index is whole and whose
// profile a repair can use; of those the one recorded nearest in time (by
// modification time, then by name).
//
// Threads: any; reads the folder and the candidates' headers.
#include <string>

namespace repairReference {

// The path, or empty (reason set) when the folder holds none.
std::string choose(const std::string& cutClip, std::string& reason);

// Whether a name is a repaired copy ("<stem>.repaired.<ext>").
bool isRepairedCopy(const std::string& path);

}  // namespace repairReference
