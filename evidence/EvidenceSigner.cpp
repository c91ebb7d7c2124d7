#include "evidence/EvidenceSigner.h"

#include "evidence/FolderFile.h"
#include "evidence/OpenSsl.h"

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/pem.h>

#include <cstring>

namespace {

struct PasswordAsked {
    const std::string* password;
    bool asked = false;
};

// Never a prompt on the terminal: the password given, or none.
int givePassword(char* buffer, int size, int, void* user) {
    auto* ask = static_cast<PasswordAsked*>(user);
    ask->asked = true;
    const std::string& password = *ask->password;
    if (password.empty() || password.size() > static_cast<size_t>(size)) return -1;
    std::memcpy(buffer, password.data(), password.size());
    return static_cast<int>(password.size());
}

struct Signing {
    OpenSsl::Key key;
    OpenSsl::Cert cert;
};

bool load(const std::string& keyFile, const std::string& password, const std::string& certFile, std::time_t now,
          Signing& signing, std::string& reason) {
    std::string keyText, certText;
    if (!FolderFile::readPath(keyFile, keyText, reason) || !FolderFile::readPath(certFile, certText, reason))
        return false;
    ERR_clear_error();
    OpenSsl::Bio keyBio = OpenSsl::memory(keyText);
    PasswordAsked ask{&password};
    signing.key.reset(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, givePassword, &ask));
    OPENSSL_cleanse(keyText.data(), keyText.size());
    if (!signing.key) {
        OpenSsl::errors();
        reason = ask.asked ? (password.empty() ? keyFile + ": the key is protected by a password and none was given"
                                               : keyFile + ": wrong password for the key")
                           : keyFile + ": not a private key (PEM)";
        return false;
    }
    OpenSsl::Bio certBio = OpenSsl::memory(certText);
    signing.cert.reset(PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr));
    if (!signing.cert) {
        OpenSsl::errors();
        reason = certFile + ": not a certificate (PEM)";
        return false;
    }
    if (X509_check_private_key(signing.cert.get(), signing.key.get()) != 1) {
        OpenSsl::errors();
        reason = certFile + ": the certificate does not belong to the key " + keyFile;
        return false;
    }
    if (X509_cmp_time(X509_get0_notBefore(signing.cert.get()), &now) >= 0) {
        reason = certFile + ": the certificate is not valid yet";
        return false;
    }
    if (X509_cmp_time(X509_get0_notAfter(signing.cert.get()), &now) <= 0) {
        reason = certFile + ": the certificate has expired";
        return false;
    }
    return true;
}

}  // namespace

bool EvidenceSigner::ready(const std::string& keyFile, const std::string& password, const std::string& certFile,
                           std::string& reason, std::time_t now) {
    Signing signing;
    return load(keyFile, password, certFile, now, signing, reason);
}

bool EvidenceSigner::sign(int folderFd, const std::string& keyFile, const std::string& password,
                          const std::string& certFile, SignedOutput& output, std::string& reason, std::time_t now) {
    Signing signing;
    if (!load(keyFile, password, certFile, now, signing, reason)) return false;
    std::string sums;
    if (!FolderFile::readAt(folderFd, kSignedName, sums, reason)) return false;
    const unsigned flags = CMS_DETACHED | CMS_BINARY | CMS_PARTIAL;
    OpenSsl::Cms cms(CMS_sign(nullptr, nullptr, nullptr, nullptr, flags));
    OpenSsl::Bio content = OpenSsl::memory(sums);
    OpenSsl::Bio der(BIO_new(BIO_s_mem()));
    if (!cms || !content || !der ||
        CMS_add1_signer(cms.get(), signing.cert.get(), signing.key.get(), EVP_sha256(), flags) == nullptr ||
        CMS_final(cms.get(), content.get(), nullptr, flags) != 1 || i2d_CMS_bio(der.get(), cms.get()) != 1) {
        reason = "cannot sign " + std::string(kSignedName) + ": " + OpenSsl::errors();
        return false;
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(der.get(), &data);
    const std::string_view signature(data, size > 0 ? static_cast<size_t>(size) : 0);
    if (!FolderFile::createAt(folderFd, kSignatureName, signature, reason)) return false;
    output.name = kSignatureName;
    output.sha256 = OpenSsl::hex(OpenSsl::sha256(signature));
    output.signedSha256 = OpenSsl::hex(OpenSsl::sha256(sums));
    output.signer = OpenSsl::nameText(X509_get_subject_name(signing.cert.get()));
    return true;
}
