#pragma once
// Checks an evidence folder's signature SHA256SUMS.p7s: that it is a
// signature over this SHA256SUMS, made with the key of the certificate it
// carries, and that this certificate leads to an authority trusted: those
// of caFile (PEM) or, when caFile is "", the system's. A signer that is not
// trusted is named and fails. A folder without SHA256SUMS.p7s gives no line
// (it was not signed; nothing to hold or fail).
//
// Threads: any; no state.
#include "evidence/VerifyCheck.h"

#include <string>

class SignatureCheck {
public:
    static VerifyChecks check(int folderFd, const std::string& caFile);
};
