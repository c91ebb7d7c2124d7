#pragma once
// One action of an evidence folder's custody log (CustodyLog): what was
// done, with which settings or command, and every file read and written with
// its SHA-256. CustodyLog adds the time, the user, the host, the versions and
// the chain.
// Threads: any; a plain value.
#include <string>
#include <vector>

struct CustodyFile {
    std::string name;    // in the folder ("video.mp4", "originals/0001F.MP4") or an absolute path
    std::string sha256;  // 64 lower-case hexadecimal digits
};

// A stretch of an original whose decoded frames frames.md5 holds, so that a
// later verification can decode the same frames again.
struct CustodyStretch {
    std::string clip;  // in the folder: "originals/NAME"
    double inSeconds = 0.0;
    double outSeconds = 0.0;
};

struct CustodyEntry {
    std::string action;    // "acquired", "hashed", "copied", "exported", "repaired", "verified", "signed"
    std::string settings;  // the settings or the command, as text
    std::vector<CustodyFile> inputs, outputs;
    std::string result;   // what came of it, where the action has an outcome ("" none)
    std::string libx264;  // the encoder's own version where it made a file ("" not used)
    std::vector<CustodyStretch> frames;  // written as "frames" only where frames.md5 was made
};
