#pragma once
// Copies one source clip bit for bit into a new file of the evidence folder,
// hashing what it reads, then reads the copy back through the same
// descriptor and checks it against that hash. The copy keeps the source's
// modification (and access) time.
//
// Threads: any one at a time per copy (the export's second worker); stop
// ends a copy early.
#include <sys/stat.h>
#include <atomic>
#include <string>

class OriginalsCopy {
public:
    static constexpr size_t kBlockBytes = 4u << 20;

    struct Result {
        std::string sha256;     // of the bytes read from the source
        struct stat source {};  // the source as it was opened
    };

    // to: a new file opened for reading and writing (EvidenceFolder::createFile);
    // shown: its name in messages. False with the reason.
    static bool copy(const std::string& source, int to, const std::string& shown, Result& result, std::string& reason,
                     const std::atomic<bool>* stop = nullptr);
};
