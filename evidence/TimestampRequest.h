#pragma once
// Writes an RFC 3161 time-stamp request SHA256SUMS.tsq for the folder's
// SHA256SUMS (SHA-256 message imprint, a random 64-bit nonce, the
// authority's certificate asked for), for the user to send to any
// time-stamping authority; its reply, put into the folder as
// SHA256SUMS.tsr, is checked by TimestampReplyCheck.
//
// Threads: any; no state.
#include <string>

struct TimestampRequestOutput {
    std::string name;          // "SHA256SUMS.tsq"
    std::string sha256;        // of what was written, hexadecimal
    std::string nonce;         // hexadecimal
};

class TimestampRequest {
public:
    static constexpr const char* kRequestName = "SHA256SUMS.tsq";

    static bool write(int folderFd, TimestampRequestOutput& output, std::string& reason);
};
