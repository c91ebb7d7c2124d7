#pragma once
// Checks the time-stamp reply SHA256SUMS.tsr the user put into an evidence
// folder: a granted reply whose token's imprint is the SHA-256 of this
// SHA256SUMS (and whose nonce is that of SHA256SUMS.tsq, where the folder
// has it), signed by the certificate it carries, which leads to an
// authority trusted (caFile, PEM, or the system's when ""). The line gives
// the time the authority vouches for. A folder without SHA256SUMS.tsr gives
// no line.
//
// Threads: any; no state.
#include "evidence/VerifyCheck.h"

#include <string>

class TimestampReplyCheck {
public:
    static constexpr const char* kReplyName = "SHA256SUMS.tsr";

    static VerifyChecks check(int folderFd, const std::string& caFile);
};
