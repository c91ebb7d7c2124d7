#include "evidence/SealChecks.h"

#include "evidence/CustodyLog.h"
#include "evidence/EvidenceVerifier.h"
#include "evidence/FrameHashes.h"
#include "evidence/SignatureCheck.h"
#include "evidence/TimestampReplyCheck.h"

#include <vector>

namespace {

// Only a copy under originals/ is decoded: a log that names another path
// (edited to point anywhere) cannot make the verification read it.
bool insideOriginals(const std::string& clip) {
    if (clip.rfind("originals/", 0) != 0) return false;
    size_t from = 0;
    while (from <= clip.size()) {
        size_t end = clip.find('/', from);
        if (end == std::string::npos) end = clip.size();
        const std::string part = clip.substr(from, end - from);
        if (part.empty() || part == "." || part == "..") return false;
        from = end + 1;
    }
    return true;
}

}  // namespace

void SealChecks::add(EvidenceVerifier& verifier, const std::string& folder, const std::string& caFile) {
    verifier.addCheck([caFile](int dirFd) { return SignatureCheck::check(dirFd, caFile); });
    verifier.addCheck([caFile](int dirFd) { return TimestampReplyCheck::check(dirFd, caFile); });
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    verifier.addCheck([base](int dirFd) {
        std::vector<FrameStretch> stretches;
        for (const CustodyStretch& s : CustodyLog::recordedStretches(dirFd)) {
            if (!insideOriginals(s.clip))
                return VerifyChecks{{FrameHashes::kName, false, "the custody log names " + s.clip + ", not an original"}};
            stretches.push_back({base + s.clip, s.inSeconds, s.outSeconds});
        }
        return FrameHashes::check(dirFd, stretches);
    });
}
