#pragma once
// The folder of one export, "<base>/<YYYY-MM-DD hh-mm-ss> <kind>", made new
// (never an existing one: a second export of the same second gets " (2)"
// and so on), and removed whole when the export fails.
// Threads: any.
#include <ctime>
#include <string>

class EvidenceFolder {
public:
    // base is made when missing. path: the folder made, with a trailing '/'.
    static bool create(const std::string& base, const std::string& kind, std::time_t now, std::string& path,
                       std::string& reason);
    static void remove(const std::string& path);
};
