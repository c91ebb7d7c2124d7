#pragma once
// Owners of libcrypto's objects and its error queue as text, for the
// signature and the time stamp of an evidence folder.
//
// Threads: any; errors are read from the calling thread's queue.
#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/ts.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <string_view>

namespace OpenSsl {

template <auto Free>
struct Deleter {
    template <typename T>
    void operator()(T* p) const { Free(p); }
};
using Bio = std::unique_ptr<BIO, Deleter<BIO_free>>;
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Deleter<X509_free>>;
using Store = std::unique_ptr<X509_STORE, Deleter<X509_STORE_free>>;
using Cms = std::unique_ptr<CMS_ContentInfo, Deleter<CMS_ContentInfo_free>>;
using TsReq = std::unique_ptr<TS_REQ, Deleter<TS_REQ_free>>;
using TsResp = std::unique_ptr<TS_RESP, Deleter<TS_RESP_free>>;
using TsVerify = std::unique_ptr<TS_VERIFY_CTX, Deleter<TS_VERIFY_CTX_free>>;

// A read-only BIO over the bytes (which must outlive it).
Bio memory(std::string_view bytes);
// The queued errors as one line ("" when none); the queue is emptied.
std::string errors();
// The SHA-256 of the bytes, raw (32 bytes) or as lower-case hexadecimal.
std::string sha256(std::string_view bytes);
std::string hex(std::string_view bytes);
// A name as "CN=..., O=..." on one line.
std::string nameText(const X509_NAME* name);
// Authorities to trust: the PEM file, or the system's when caFile is "".
Store trustStore(const std::string& caFile, std::string& reason);

}  // namespace OpenSsl
