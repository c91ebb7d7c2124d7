#pragma once
// Re-checks an evidence folder, one VerifyCheck per finding:
// - SHA256SUMS against the hash the custody log's "hashed" line recorded;
// - every file SHA256SUMS lists by name (the derived files, originals/):
//   present and unchanged; a file found that it does not list is named, and
//   one found under another name with a listed file's bytes is a rename;
// - the source clips it lists by absolute path, where they still are (a
//   source no longer at its path is not present: said, but no failure — the
//   folder's own originals/ and checksums stand without it);
// - the custody log's chain, line by line;
// - the checks added by addCheck (the signature, the time stamp, the frame
//   hashes), each handed the folder's descriptor.
// Then it appends its own "verified" line to the custody log (where the
// folder has one: no file is made in a folder that is not evidence).
//
// Threads: verify() on one worker (it reads every file); stop() from any
// thread ends it soon, with a failing "stopped" line.
#include "evidence/VerifyCheck.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

class EvidenceVerifier {
public:
    using Check = std::function<VerifyChecks(int dirFd)>;

    // Files of the folder's top that SHA256SUMS does not list and need not:
    // itself, the log that grows with each verification, and what is made
    // over SHA256SUMS (its signature, its time-stamp request and reply).
    static const std::vector<std::string>& unlistedNames();

    void addCheck(Check check) { checks_.push_back(std::move(check)); }
    // command: how the verification was asked for, for the custody log.
    VerifyChecks verify(const std::string& folder, const std::string& command = {});
    void stop() { stop_.store(true); }

    static bool allHold(const VerifyChecks& checks);

private:
    std::vector<Check> checks_;
    std::atomic<bool> stop_{false};
};
