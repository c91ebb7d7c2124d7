#pragma once
// Signs an evidence folder: a detached CMS signature (DER, SHA-256)
// SHA256SUMS.p7s over the bytes of the folder's SHA256SUMS, made with the
// user's private key and certificate (PEM files). A key that is not a key, a
// wrong or missing password, a certificate that does not belong to the key
// or is outside its validity: the reason, and nothing is written.
//
// Threads: any; no state. The password is wiped from the copies libcrypto
// is handed; the caller wipes its own.
#include <ctime>
#include <string>

struct SignedOutput {
    std::string name;          // "SHA256SUMS.p7s"
    std::string sha256;        // of what was written, hexadecimal
    std::string signedSha256;  // of the SHA256SUMS signed
    std::string signer;        // the certificate's subject
};

class EvidenceSigner {
public:
    static constexpr const char* kSignatureName = "SHA256SUMS.p7s";
    static constexpr const char* kSignedName = "SHA256SUMS";

    // Reads and checks the key and the certificate; an export runs this
    // first so that a bad key is told before minutes of work.
    static bool ready(const std::string& keyFile, const std::string& password, const std::string& certFile,
                      std::string& reason, std::time_t now = std::time(nullptr));
    // Writes SHA256SUMS.p7s into the folder held by folderFd.
    static bool sign(int folderFd, const std::string& keyFile, const std::string& password,
                     const std::string& certFile, SignedOutput& output, std::string& reason,
                     std::time_t now = std::time(nullptr));
};
