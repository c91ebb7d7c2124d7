#include "evidence/TimestampReplyCheck.h"

#include "evidence/FolderFile.h"
#include "evidence/OpenSsl.h"
#include "evidence/TimestampRequest.h"

#include <openssl/err.h>

#include <ctime>

namespace {

std::string timeText(const ASN1_GENERALIZEDTIME* time) {
    std::tm tm{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &tm) != 1) return "an unreadable time";
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return text;
}

std::string authority(TS_TST_INFO* info) {
    const GENERAL_NAME* name = TS_TST_INFO_get_tsa(info);
    if (name == nullptr || name->type != GEN_DIRNAME) return {};
    return " by " + OpenSsl::nameText(name->d.dirn);
}

}  // namespace

VerifyChecks TimestampReplyCheck::check(int folderFd, const std::string& caFile) {
    VerifyCheck line{kReplyName, false, {}};
    std::string reply, sums, request, reason;
    bool missing = false;
    if (!FolderFile::readAt(folderFd, kReplyName, reply, reason, &missing)) {
        if (missing) return {};
        line.detail = reason;
        return {line};
    }
    if (!FolderFile::readAt(folderFd, "SHA256SUMS", sums, reason)) {
        line.detail = "no SHA256SUMS to check the time stamp against (" + reason + ")";
        return {line};
    }
    ERR_clear_error();
    OpenSsl::Bio der = OpenSsl::memory(reply);
    OpenSsl::TsResp response(d2i_TS_RESP_bio(der.get(), nullptr));
    if (!response) {
        OpenSsl::errors();
        line.detail = "not a time-stamp reply";
        return {line};
    }
    const ASN1_INTEGER* status = TS_STATUS_INFO_get0_status(TS_RESP_get_status_info(response.get()));
    const long granted = status != nullptr ? ASN1_INTEGER_get(status) : -1;
    TS_TST_INFO* info = TS_RESP_get_tst_info(response.get());
    if ((granted != 0 && granted != 1) || info == nullptr) {
        line.detail = "the authority did not grant the time stamp (status " + std::to_string(granted) + ")";
        return {line};
    }
    const X509_ALGOR* algorithm = TS_MSG_IMPRINT_get_algo(TS_TST_INFO_get_msg_imprint(info));
    if (algorithm == nullptr || OBJ_obj2nid(algorithm->algorithm) != NID_sha256) {
        line.detail = "the time stamp is not over a SHA-256 imprint";
        return {line};
    }
    const std::string when = timeText(TS_TST_INFO_get_time(info));
    std::string digest = OpenSsl::sha256(sums);
    OpenSsl::TsVerify verify;
    bool missingRequest = false;
    if (FolderFile::readAt(folderFd, TimestampRequest::kRequestName, request, reason, &missingRequest)) {
        // The request asked for: its imprint, nonce and version are what the reply must answer.
        OpenSsl::Bio requestDer = OpenSsl::memory(request);
        OpenSsl::TsReq asked(d2i_TS_REQ_bio(requestDer.get(), nullptr));
        const ASN1_OCTET_STRING* askedImprint =
            asked ? TS_MSG_IMPRINT_get_msg(TS_REQ_get_msg_imprint(asked.get())) : nullptr;
        if (askedImprint == nullptr ||
            std::string_view(reinterpret_cast<const char*>(ASN1_STRING_get0_data(askedImprint)),
                             static_cast<size_t>(ASN1_STRING_length(askedImprint))) != digest) {
            OpenSsl::errors();
            line.detail = std::string(TimestampRequest::kRequestName) + " is not a request for this SHA256SUMS";
            return {line};
        }
        verify.reset(TS_REQ_to_TS_VERIFY_CTX(asked.get(), nullptr));
        if (verify) TS_VERIFY_CTX_add_flags(verify.get(), TS_VFY_SIGNATURE);
    } else if (!missingRequest) {
        line.detail = reason;
        return {line};
    } else {
        verify.reset(TS_VERIFY_CTX_new());
        auto* imprint = static_cast<unsigned char*>(OPENSSL_memdup(digest.data(), digest.size()));
        if (verify && imprint != nullptr) {
            TS_VERIFY_CTX_set_imprint(verify.get(), imprint, static_cast<long>(digest.size()));  // the context owns it
            TS_VERIFY_CTX_set_flags(verify.get(), TS_VFY_VERSION | TS_VFY_SIGNATURE | TS_VFY_IMPRINT);
        } else {
            OPENSSL_free(imprint);
        }
    }
    if (!verify) {
        line.detail = "out of memory";
        return {line};
    }
    OpenSsl::Store store = OpenSsl::trustStore(caFile, reason);
    if (!store) {
        line.detail = "time-stamped " + when + authority(info) + ", but " + reason;
        return {line};
    }
    TS_VERIFY_CTX_set_store(verify.get(), store.release());  // the context owns it
    ERR_clear_error();
    if (TS_RESP_verify_response(verify.get(), response.get()) != 1) {
        const std::string why = OpenSsl::errors();
        const bool otherData = why.find("message imprint mismatch") != std::string::npos;
        const bool otherNonce = why.find("nonce mismatch") != std::string::npos;
        line.detail = otherData    ? "the time stamp is for other data than this SHA256SUMS"
                      : otherNonce ? "the time stamp does not answer SHA256SUMS.tsq (another nonce)"
                                   : "time-stamped " + when + authority(info) +
                                         ", but the authority is not trusted or its signature does not hold (" + why +
                                         ")";
        return {line};
    }
    line.holds = true;
    line.detail = "SHA256SUMS time-stamped " + when + authority(info);
    return {line};
}
