#pragma once
// The custody log of an evidence folder, custody.jsonl: one JSON object per
// line and per action, only ever appended to. Each line holds
//   {"action","time" (UTC, ISO 8601 with milliseconds and Z),"user","host",
//    "versions":{"program","ffmpeg","libmpv","libx264"},"settings",
//    "inputs":[{"name","sha256"}],"outputs":[...],"result",
//    "frames":[{"clip","in","out"}] (only where frames.md5 was made),
//    "prev":SHA-256 of the previous line's bytes (64 zeros on the first line),
//    "line":SHA-256 of this line's bytes up to (not including) ,"line"}
// in that order, so a removed or reordered line breaks "prev" of the line
// after it and an edited one breaks its own "line" (the last line too, which
// no later line covers).
//
// Threads: any; every call opens, uses and closes the file through the held
// folder descriptor (never through a link). Two writers of one folder at
// once are not expected (O_APPEND keeps each line whole regardless).
#include "evidence/CustodyEntry.h"
#include "evidence/VerifyCheck.h"

#include <string>
#include <string_view>
#include <vector>

class CustodyLog {
public:
    static constexpr const char* kName = "custody.jsonl";
    static constexpr std::string_view kFirstPrev = "0000000000000000000000000000000000000000000000000000000000000000";

    // Appends the entry as the log's next line (the log is made when missing).
    static bool append(int dirFd, const CustodyEntry& entry, std::string& reason);
    // The line as append writes it after a line whose SHA-256 is prev (no line feed).
    static std::string line(const CustodyEntry& entry, std::string_view prev, std::string_view time);

    // One check per line of the log: whole, and chained to the line before.
    static VerifyChecks checkChain(int dirFd);
    // The SHA-256 the last line of the action recorded for an output name; "" none.
    static std::string recordedOutput(int dirFd, std::string_view action, std::string_view name);
    // The stretches the last line with "frames" recorded (empty: none, or unreadable).
    static std::vector<CustodyStretch> recordedStretches(int dirFd);
    // Each line as a person reads it: time, action, result and the start of
    // the line's own hash (for the report's printout).
    static std::vector<std::string> summaries(int dirFd);
    // The log's bytes; false when it cannot be read (missing, a link, not a file).
    static bool read(int dirFd, std::string& text, std::string& reason);
};
