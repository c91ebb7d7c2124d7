#include "evidence/SignatureCheck.h"

#include "evidence/EvidenceSigner.h"
#include "evidence/FolderFile.h"
#include "evidence/OpenSsl.h"

#include <openssl/err.h>

VerifyChecks SignatureCheck::check(int folderFd, const std::string& caFile) {
    VerifyCheck line{EvidenceSigner::kSignatureName, false, {}};
    std::string signature, sums, reason;
    bool missing = false;
    if (!FolderFile::readAt(folderFd, EvidenceSigner::kSignatureName, signature, reason, &missing)) {
        if (missing) return {};
        line.detail = reason;
        return {line};
    }
    if (!FolderFile::readAt(folderFd, EvidenceSigner::kSignedName, sums, reason)) {
        line.detail = "no SHA256SUMS to check the signature against (" + reason + ")";
        return {line};
    }
    ERR_clear_error();
    OpenSsl::Bio der = OpenSsl::memory(signature);
    OpenSsl::Cms cms(d2i_CMS_bio(der.get(), nullptr));
    if (!cms) {
        OpenSsl::errors();
        line.detail = "not a CMS signature";
        return {line};
    }
    // First the signature alone, so that a changed SHA256SUMS is told apart
    // from a signer not trusted.
    OpenSsl::Bio content = OpenSsl::memory(sums);
    if (CMS_verify(cms.get(), nullptr, nullptr, content.get(), nullptr, CMS_BINARY | CMS_NO_SIGNER_CERT_VERIFY) != 1) {
        line.detail = "the signature does not match SHA256SUMS (" + OpenSsl::errors() + ")";
        return {line};
    }
    std::string signer;
    if (STACK_OF(X509)* signers = CMS_get0_signers(cms.get())) {
        for (int i = 0; i < sk_X509_num(signers); ++i)
            signer += (signer.empty() ? "" : "; ") + OpenSsl::nameText(X509_get_subject_name(sk_X509_value(signers, i)));
        sk_X509_free(signers);
    }
    OpenSsl::Store store = OpenSsl::trustStore(caFile, reason);
    if (!store) {
        line.detail = "signed by " + signer + ", but " + reason;
        return {line};
    }
    // Whatever the certificate's purpose: trust comes from the authorities named.
    X509_STORE_set_purpose(store.get(), X509_PURPOSE_ANY);
    content = OpenSsl::memory(sums);
    if (CMS_verify(cms.get(), nullptr, store.get(), content.get(), nullptr, CMS_BINARY) != 1) {
        line.detail = "signed by " + signer + ", who is not trusted" +
                      (caFile.empty() ? " by the system's authorities" : " by the authorities of " + caFile) + " (" +
                      OpenSsl::errors() + ")";
        return {line};
    }
    line.holds = true;
    line.detail = "SHA256SUMS signed by " + signer;
    return {line};
}
