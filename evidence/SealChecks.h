#pragma once
// The checks of an evidence folder beyond its checksums and custody chain:
// the signature over SHA256SUMS, the time-stamp reply, and frames.md5
// decoded again from originals/ (the stretches the custody log recorded).
// The tool and the player's verify window add them the same way.
//
// Threads: add() on the caller's thread; the checks run on the verifier's.
#include <string>

class EvidenceVerifier;

class SealChecks {
public:
    // caFile: the authorities trusted for the signer and the time-stamping
    // authority (PEM); "" the system's.
    static void add(EvidenceVerifier& verifier, const std::string& folder, const std::string& caFile);
};
