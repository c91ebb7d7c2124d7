#pragma once
// What an export made besides its fixed files, for the custody log: the
// frame hashes (and the stretches they cover, which their check decodes
// again), the signature and the time-stamp request, each by name and
// SHA-256.
#include "evidence/EvidenceSigner.h"
#include "evidence/FrameHashes.h"
#include "evidence/TimestampRequest.h"

#include <optional>
#include <string>
#include <vector>

struct EvidenceOutputs {
    std::string framesSha256;  // of frames.md5; "" when not written
    std::vector<FrameStretch> frameStretches;
    std::optional<SignedOutput> signature;
    std::optional<TimestampRequestOutput> timestampRequest;
};
