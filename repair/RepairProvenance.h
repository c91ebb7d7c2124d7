#pragma once
// Where a repaired copy came from, kept inside the copy so that whoever holds
// the file (an export, another machine) can tell: the cut original's file
// name and SHA-256 as the repair read it, and the reference's. It is a box
// of our own type (`VLrp`) in the copy's `moov/udta`: a version byte, then
// four fields, each a 16-bit big-endian length and its bytes. Read back from
// files that may be hostile: sizes are bounded, names are plain text (no
// control characters, no folder separators) and checksums 64 hexadecimal
// digits, else the copy is taken as carrying none.
//
// Threads: any; pure functions.
#include <optional>
#include <string>

struct RepairProvenance {
    std::string original, originalSha256;    // the cut clip's file name and digest
    std::string reference, referenceSha256;  // the reference's

    static constexpr const char* kBoxType = "VLrp";
    static constexpr size_t kMaxName = 1024;  // bytes

    // The `udta` box holding it (its fields cut to kMaxName).
    std::string udta() const;
    // The provenance of the file at path; empty when it has none or it is
    // not sound.
    static std::optional<RepairProvenance> read(const std::string& path);
    // The same of a box's payload (after the box header).
    static std::optional<RepairProvenance> parse(const std::string& payload);
};
