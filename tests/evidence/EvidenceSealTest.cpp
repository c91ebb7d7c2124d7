// The signature and the time stamp of an evidence folder, with keys,
// certificates and a time-stamping authority the test makes with the
// openssl program: a signature OpenSSL itself accepts, every bad key or
// certificate refused with nothing written, and a reply that holds only for
// this SHA256SUMS and only with its authority trusted.
#include "evidence/EvidenceSigner.h"
#include "evidence/SignatureCheck.h"
#include "evidence/TimestampReplyCheck.h"
#include "evidence/TimestampRequest.h"
#include "support/CommandOutput.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

std::string programPath(const std::string& name) {
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin");
    for (std::string folder; std::getline(path, folder, ':');)
        if (::access((folder + "/" + name).c_str(), X_OK) == 0) return folder + "/" + name;
    return {};
}

class EvidenceSeal : public testing::Test {
protected:
    void SetUp() override {
        openssl_ = programPath("openssl");
        if (openssl_.empty()) GTEST_SKIP() << "no openssl program";
        folder_ = tmp_.path() + "evidence/";
        tmp_.write("evidence/SHA256SUMS", "0123  video.mp4\n");
        fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    void TearDown() override {
        if (fd_ >= 0) ::close(fd_);
    }

    // openssl with the arguments, run in the temporary folder; its output.
    std::string openssl(std::vector<std::string> args, int expected = 0) {
        args.insert(args.begin(), openssl_);
        int status = -1;
        const std::string out = testing_support::commandOutput(args, tmp_.path(), status);
        EXPECT_EQ(status, expected) << out;
        return out;
    }
    // A key (name.key) and a self-signed certificate (name.pem).
    void selfSigned(const std::string& name, const std::vector<std::string>& more = {}) {
        std::vector<std::string> args = {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                         "-nodes", "-keyout", name + ".key", "-out", name + ".pem", "-days", "2",
                                         "-subj", "/CN=" + name};
        args.insert(args.end(), more.begin(), more.end());
        openssl(args);
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(folder_ + name); }

    testing_support::TempFolder tmp_;
    std::string openssl_, folder_;
    int fd_ = -1;
};

TEST_F(EvidenceSeal, ASignatureOpenSslAcceptsHoldsOnlyForThisSumsAndATrustedSigner) {
    selfSigned("signer");
    SignedOutput out;
    std::string reason;
    ASSERT_TRUE(EvidenceSigner::sign(fd_, tmp_.path() + "signer.key", "", tmp_.path() + "signer.pem", out, reason))
        << reason;
    EXPECT_EQ(out.name, "SHA256SUMS.p7s");
    EXPECT_EQ(out.sha256.size(), 64u);
    EXPECT_NE(out.signer.find("signer"), std::string::npos);
    openssl({"cms", "-verify", "-binary", "-content", "evidence/SHA256SUMS", "-inform", "DER", "-in",
             "evidence/SHA256SUMS.p7s", "-CAfile", "signer.pem", "-out", "/dev/null"});

    VerifyChecks checks = SignatureCheck::check(fd_, tmp_.path() + "signer.pem");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].holds) << checks[0].detail;
    checks = SignatureCheck::check(fd_, "");  // the system does not know the test's signer
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].holds);
    EXPECT_NE(checks[0].detail.find("not trusted"), std::string::npos) << checks[0].detail;

    std::filesystem::remove(folder_ + "SHA256SUMS");
    tmp_.write("evidence/SHA256SUMS", "0124  video.mp4\n");
    checks = SignatureCheck::check(fd_, tmp_.path() + "signer.pem");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].holds);
    EXPECT_NE(checks[0].detail.find("does not match"), std::string::npos) << checks[0].detail;

    std::filesystem::remove(folder_ + "SHA256SUMS.p7s");
    EXPECT_TRUE(SignatureCheck::check(fd_, "").empty());  // not signed: nothing to hold or fail
}

TEST_F(EvidenceSeal, BadKeysAndCertificatesSignNothing) {
    selfSigned("signer");
    selfSigned("other");
    openssl({"genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-aes256", "-pass", "pass:secret",
             "-out", "locked.key"});
    openssl({"req", "-x509", "-key", "locked.key", "-passin", "pass:secret", "-out", "locked.pem", "-days", "2",
             "-subj", "/CN=locked"});
    const std::string t = tmp_.path();
    const std::time_t now = std::time(nullptr);
    struct Case {
        std::string key, password, cert, says;
        std::time_t at;
    };
    const Case cases[] = {
        {t + "signer.pem", "", t + "signer.pem", "not a private key", now},
        {t + "missing.key", "", t + "signer.pem", "cannot open", now},
        {t + "locked.key", "wrong", t + "locked.pem", "wrong password", now},
        {t + "locked.key", "", t + "locked.pem", "none was given", now},
        {t + "signer.key", "", t + "other.pem", "does not belong", now},
        {t + "signer.key", "", t + "signer.key", "not a certificate", now},
        {t + "signer.key", "", t + "signer.pem", "expired", now + 3 * 86400},
        {t + "signer.key", "", t + "signer.pem", "not valid yet", now - 86400},
    };
    for (const Case& c : cases) {
        SignedOutput out;
        std::string reason;
        EXPECT_FALSE(EvidenceSigner::sign(fd_, c.key, c.password, c.cert, out, reason, c.at)) << c.says;
        EXPECT_NE(reason.find(c.says), std::string::npos) << reason;
        EXPECT_FALSE(exists("SHA256SUMS.p7s")) << c.says;
    }
    SignedOutput out;
    std::string reason;
    EXPECT_TRUE(EvidenceSigner::sign(fd_, t + "locked.key", "secret", t + "locked.pem", out, reason)) << reason;
    // Never over an existing signature.
    EXPECT_FALSE(EvidenceSigner::sign(fd_, t + "locked.key", "secret", t + "locked.pem", out, reason));
}

TEST_F(EvidenceSeal, AReplyHoldsForThisSumsFromATrustedAuthorityOnly) {
    TimestampRequestOutput request;
    std::string reason;
    ASSERT_TRUE(TimestampRequest::write(fd_, request, reason)) << reason;
    const std::string query = openssl({"ts", "-query", "-in", "evidence/SHA256SUMS.tsq", "-text"});
    EXPECT_NE(query.find("Certificate required: yes"), std::string::npos) << query;
    EXPECT_NE(query.find("sha256"), std::string::npos) << query;

    // A local authority: a root, and a time-stamping certificate it issued.
    selfSigned("root");
    openssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes", "-keyout", "tsa.key", "-out",
             "tsa.csr", "-subj", "/CN=Test TSA"});
    tmp_.write("tsa.ext", "extendedKeyUsage = critical,timeStamping\n");
    openssl({"x509", "-req", "-in", "tsa.csr", "-CA", "root.pem", "-CAkey", "root.key", "-CAcreateserial", "-days",
             "2", "-extfile", "tsa.ext", "-out", "tsa.pem"});
    tmp_.write("ts.cnf",
               "[ tsa ]\ndefault_tsa = tsa_config\n[ tsa_config ]\nserial = " + tmp_.path() +
                   "tsaserial\ncrypto_device = builtin\nsigner_cert = " + tmp_.path() + "tsa.pem\ncerts = " +
                   tmp_.path() + "root.pem\nsigner_key = " + tmp_.path() +
                   "tsa.key\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\n"
                   "accuracy = secs:1\nordering = yes\ntsa_name = yes\ness_cert_id_chain = no\n"
                   "ess_cert_id_alg = sha256\n");
    tmp_.write("tsaserial", "01\n");
    openssl({"ts", "-reply", "-config", "ts.cnf", "-queryfile", "evidence/SHA256SUMS.tsq", "-out",
             "evidence/SHA256SUMS.tsr"});
    tmp_.write("other.txt", "other data\n");
    openssl({"ts", "-query", "-data", "other.txt", "-sha256", "-cert", "-out", "other.tsq"});
    openssl({"ts", "-reply", "-config", "ts.cnf", "-queryfile", "other.tsq", "-out", "other.tsr"});

    VerifyChecks checks = TimestampReplyCheck::check(fd_, tmp_.path() + "root.pem");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_TRUE(checks[0].holds) << checks[0].detail;
    EXPECT_NE(checks[0].detail.find(" UTC"), std::string::npos) << checks[0].detail;
    checks = TimestampReplyCheck::check(fd_, "");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].holds);
    EXPECT_NE(checks[0].detail.find("not trusted"), std::string::npos) << checks[0].detail;

    // The reply for other data: with the request (another nonce too) and without it.
    std::filesystem::copy_file(tmp_.path() + "other.tsr", folder_ + "SHA256SUMS.tsr",
                               std::filesystem::copy_options::overwrite_existing);
    checks = TimestampReplyCheck::check(fd_, tmp_.path() + "root.pem");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].holds);
    std::filesystem::remove(folder_ + "SHA256SUMS.tsq");
    checks = TimestampReplyCheck::check(fd_, tmp_.path() + "root.pem");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_FALSE(checks[0].holds);
    EXPECT_NE(checks[0].detail.find("other data"), std::string::npos) << checks[0].detail;
    std::filesystem::remove(folder_ + "SHA256SUMS.tsr");
    EXPECT_TRUE(TimestampReplyCheck::check(fd_, "").empty());
}

}  // namespace
