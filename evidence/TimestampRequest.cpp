#include "evidence/TimestampRequest.h"

#include "evidence/FolderFile.h"
#include "evidence/OpenSsl.h"

#include <openssl/bn.h>
#include <openssl/rand.h>

#include <memory>

namespace {

using Imprint = std::unique_ptr<TS_MSG_IMPRINT, OpenSsl::Deleter<TS_MSG_IMPRINT_free>>;
using Algorithm = std::unique_ptr<X509_ALGOR, OpenSsl::Deleter<X509_ALGOR_free>>;
using Integer = std::unique_ptr<ASN1_INTEGER, OpenSsl::Deleter<ASN1_INTEGER_free>>;
using Number = std::unique_ptr<BIGNUM, OpenSsl::Deleter<BN_free>>;

}  // namespace

bool TimestampRequest::write(int folderFd, TimestampRequestOutput& output, std::string& reason) {
    std::string sums;
    if (!FolderFile::readAt(folderFd, "SHA256SUMS", sums, reason)) return false;
    std::string digest = OpenSsl::sha256(sums);
    unsigned char nonceBytes[8];
    OpenSsl::TsReq request(TS_REQ_new());
    Imprint imprint(TS_MSG_IMPRINT_new());
    Algorithm algorithm(X509_ALGOR_new());
    bool made = request && imprint && algorithm && digest.size() == 32 && RAND_bytes(nonceBytes, sizeof nonceBytes) == 1;
    nonceBytes[0] |= 0x01;  // eight bytes, never a shorter number
    Number number(made ? BN_bin2bn(nonceBytes, sizeof nonceBytes, nullptr) : nullptr);
    Integer nonce(number ? BN_to_ASN1_INTEGER(number.get(), nullptr) : nullptr);
    made = made && nonce && TS_REQ_set_version(request.get(), 1) == 1 &&
           X509_ALGOR_set0(algorithm.get(), OBJ_nid2obj(NID_sha256), V_ASN1_NULL, nullptr) == 1 &&
           TS_MSG_IMPRINT_set_algo(imprint.get(), algorithm.get()) == 1 &&
           TS_MSG_IMPRINT_set_msg(imprint.get(), reinterpret_cast<unsigned char*>(digest.data()),
                                  static_cast<int>(digest.size())) == 1 &&
           TS_REQ_set_msg_imprint(request.get(), imprint.get()) == 1 &&
           TS_REQ_set_nonce(request.get(), nonce.get()) == 1 && TS_REQ_set_cert_req(request.get(), 1) == 1;
    unsigned char* der = nullptr;
    const int size = made ? i2d_TS_REQ(request.get(), &der) : -1;
    if (size <= 0) {
        reason = "cannot make the time-stamp request: " + OpenSsl::errors();
        return false;
    }
    const std::string bytes(reinterpret_cast<const char*>(der), static_cast<size_t>(size));
    OPENSSL_free(der);
    if (!FolderFile::createAt(folderFd, kRequestName, bytes, reason)) return false;
    output.name = kRequestName;
    output.sha256 = OpenSsl::hex(OpenSsl::sha256(bytes));
    output.nonce = OpenSsl::hex(std::string_view(reinterpret_cast<const char*>(nonceBytes), sizeof nonceBytes));
    return true;
}
