// An export with the journey's originals, its custody log and its
// verification, through the tool: a front and rear journey of three clips
// each is copied whole (and a clip of another drive is not), the folder
// verifies, and every kind of tampering is named by the check it breaks.
#include "evidence/EvidenceExport.h"
#include "support/ClipFactory.h"
#include "support/CommandOutput.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string tool() {
    return std::string(VELTARA_TEST_PROGRAM_DIR) + "veltara-track";
}

bool haveReportProgram() {
    return fs::exists(std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report");
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void spill(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class EvidenceCustody : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!haveReportProgram()) return;
        tmp_ = new testing_support::TempFolder;
        const std::string card = tmp_->path() + "card/";
        fs::create_directories(card);
        for (const char* channel : {"F", "R"}) {
            for (int i = 0; i < 3; ++i) {
                const char* times[] = {"103000", "103040", "103120"};
                const std::string name =
                    std::string("2016_0520_") + times[i] + "_000" + std::to_string(i + 1) + channel + ".MP4";
                ASSERT_EQ(testing_support::makeClip(card + name, testing_support::driveClip(40 * i)), "");
            }
        }
        // Another drive of the same card, an hour later: not of the journey.
        fs::copy_file(card + "2016_0520_103000_0001F.MP4", card + "2016_0520_113000_0009F.MP4");
        int status = 0;
        std::vector<std::string> command = {tool(), "--export", "--from", "2016_0520_103040_0002F.MP4@10",
                                            "--duration", "20", "--no-overlay", "--originals", "--out",
                                            tmp_->path() + "exports"};
        // Signed where openssl can make the key: the seal's lines join the verification.
        if (::access("/usr/bin/openssl", X_OK) == 0) {
            testing_support::commandOutput({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                                            "ec_paramgen_curve:P-256", "-nodes", "-keyout", "signer.key", "-out",
                                            "signer.pem", "-days", "2", "-subj", "/CN=signer"},
                                           tmp_->path(), status);
            if (status == 0) {
                cert_ = tmp_->path() + "signer.pem";
                command.insert(command.end(), {"--sign", tmp_->path() + "signer.key", "--cert", cert_});
            }
        }
        command.push_back(card);
        const std::string out = testing_support::commandOutput(command, tmp_->path(), status);
        ASSERT_EQ(status, 0) << out;
        folder_ = out.substr(0, out.find('\n'));
    }
    static void TearDownTestSuite() {
        delete tmp_;
        tmp_ = nullptr;
    }
    void SetUp() override {
        if (!haveReportProgram()) GTEST_SKIP() << "no report program in this build";
        ASSERT_FALSE(folder_.empty());
    }

    static std::string verify(const std::string& folder, int& status) {
        std::vector<std::string> command = {tool(), "--verify", folder};
        if (!cert_.empty()) command.insert(command.begin() + 1, {"--ca", cert_});
        return testing_support::commandOutput(command, tmp_->path(), status);
    }

    static testing_support::TempFolder* tmp_;
    static std::string folder_;
    static std::string cert_;  // the signer's certificate; "" not signed
};

testing_support::TempFolder* EvidenceCustody::tmp_ = nullptr;
std::string EvidenceCustody::folder_;
std::string EvidenceCustody::cert_;

TEST_F(EvidenceCustody, AnExportWithTheJourneyCopiesItWholeAndVerifies) {
    const std::string card = tmp_->path() + "card/";
    std::vector<std::string> copied;
    for (const auto& entry : fs::directory_iterator(folder_ + "originals")) copied.push_back(entry.path().filename());
    std::sort(copied.begin(), copied.end());
    ASSERT_EQ(copied.size(), 6u);
    EXPECT_EQ(copied.front(), "2016_0520_103000_0001F.MP4");
    for (const std::string& name : copied) {
        EXPECT_EQ(slurp(folder_ + "originals/" + name), slurp(card + name)) << name;
        struct stat original, copy;
        ASSERT_EQ(::stat((card + name).c_str(), &original), 0);
        ASSERT_EQ(::stat((folder_ + "originals/" + name).c_str(), &copy), 0);
        EXPECT_EQ(copy.st_mtim.tv_sec, original.st_mtim.tv_sec);
        EXPECT_EQ(copy.st_mtim.tv_nsec, original.st_mtim.tv_nsec);
    }
    const std::string sums = slurp(folder_ + "SHA256SUMS");
    EXPECT_EQ(count(sums, "  originals/"), 6u) << sums;
    EXPECT_EQ(count(sums, "0009F"), 0u) << sums;
    int status = -1;
    EXPECT_EQ(testing_support::commandOutput({"/usr/bin/sha256sum", "--quiet", "-c", "SHA256SUMS"}, folder_, status),
              "");
    EXPECT_EQ(status, 0);

    const std::string log = slurp(folder_ + "custody.jsonl");
    for (const char* action : {"acquired", "copied", "exported", "hashed"})
        EXPECT_EQ(count(log, std::string("{\"action\":\"") + action + "\""), 1u) << action << "\n" << log;
    EXPECT_EQ(log.find("{\"action\":\"exported\""), log.rfind('\n', log.find("{\"action\":\"exported\"")) + 1);
    EXPECT_NE(log.find("\"prev\":\"0000000000000000000000000000000000000000000000000000000000000000\""),
              std::string::npos);
    EXPECT_NE(log.find("--originals"), std::string::npos) << "the command is recorded";

    const std::string out = verify(folder_, status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(count(out, "FAILS"), 0u) << out;
    EXPECT_NE(out.find("holds  originals/2016_0520_103120_0003R.MP4: unchanged"), std::string::npos) << out;
    EXPECT_NE(out.find(cert_.empty() ? "holds  custody.jsonl: 4 lines, chained" : "holds  custody.jsonl: 5 lines, chained"),
              std::string::npos)
        << out;
    // The frames of the stretch, decoded again from originals/ as the log recorded them.
    EXPECT_NE(log.find("\"frames\":[{\"clip\":\"originals/2016_0520_103040_0002F.MP4\",\"in\":10.000000"),
              std::string::npos)
        << log;
    EXPECT_NE(out.find("holds  frames.md5"), std::string::npos) << out;
    if (!cert_.empty()) {
        EXPECT_NE(log.find("{\"action\":\"signed\""), std::string::npos) << log;
        EXPECT_NE(out.find("holds  SHA256SUMS.p7s"), std::string::npos) << out;
    }
    const std::string after = slurp(folder_ + "custody.jsonl");
    EXPECT_EQ(after.substr(0, log.size()), log) << "appended only";
    EXPECT_NE(after.find("{\"action\":\"verified\"", log.size()), std::string::npos);
    EXPECT_NE(after.find("all ", log.size()), std::string::npos);
}

TEST_F(EvidenceCustody, EveryKindOfTamperingIsNamed) {
    const auto flip = [](const std::string& name) {
        return [name](const std::string& folder) {
            std::string bytes = slurp(folder + name);
            bytes[bytes.size() / 2] ^= 0x01;
            spill(folder + name, bytes);
        };
    };
    const auto customLine = [](const std::function<void(std::vector<std::string>&)>& edit) {
        return [edit](const std::string& folder) {
            std::vector<std::string> lines;
            std::istringstream in(slurp(folder + "custody.jsonl"));
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            edit(lines);
            std::string out;
            for (const std::string& line : lines) out += line + "\n";
            spill(folder + "custody.jsonl", out);
        };
    };
    const struct {
        const char* what;
        std::function<void(const std::string&)> tamper;
        const char* named;
    } cases[] = {
        {"video", flip("video.mp4"), "FAILS  video.mp4: changed"},
        {"track", flip("track.gpx"), "FAILS  track.gpx: changed"},
        {"report", flip("report.pdf"), "FAILS  report.pdf: changed"},
        {"an original", flip("originals/2016_0520_103040_0002R.MP4"),
         "FAILS  originals/2016_0520_103040_0002R.MP4: changed"},
        {"SHA256SUMS", flip("SHA256SUMS"), "FAILS  SHA256SUMS: changed"},
        {"frame hashes", flip("frames.md5"), "FAILS  frames.md5"},
        {"custody log", flip("custody.jsonl"), "FAILS  custody.jsonl line "},
        {"an edited line", customLine([](auto& l) { l[1].replace(l[1].find("\"copied\""), 8, "\"kopied\""); }),
         "FAILS  custody.jsonl line 2: was edited"},
        {"a removed line", customLine([](auto& l) { l.erase(l.begin() + 1); }),
         "FAILS  custody.jsonl line 2: does not follow line 1"},
        {"reordered lines", customLine([](auto& l) { std::swap(l[1], l[2]); }),
         "FAILS  custody.jsonl line 2: does not follow line 1"},
        {"a removed file", [](const std::string& f) { fs::remove(f + "track.csv"); }, "FAILS  track.csv: removed"},
        {"an added file", [](const std::string& f) { spill(f + "originals/extra.MP4", "x"); },
         "FAILS  originals/extra.MP4: added"},
        {"a renamed file", [](const std::string& f) { fs::rename(f + "track.gpx", f + "route.gpx"); },
         "FAILS  track.gpx: renamed to route.gpx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string copy = tmp_->path() + "tampered/";
        fs::remove_all(copy);
        fs::copy(folder_, copy, fs::copy_options::recursive);
        c.tamper(copy);
        int status = -1;
        const std::string out = verify(copy, status);
        EXPECT_EQ(status, 1) << out;
        EXPECT_NE(out.find(c.named), std::string::npos) << out;
    }
}

// A disk that fills while the originals are copied, as a limit on the size
// of a file: the copy fails on its first clip, and the folder goes whole.
TEST_F(EvidenceCustody, ADiskFullWhileCopyingLeavesNoFolder) {
    const std::string card = tmp_->path() + "card/";
    EvidenceRequest request;
    for (const char* name : {"2016_0520_103000_0001F.MP4", "2016_0520_103040_0002F.MP4"})
        request.clips.push_back(card + name);
    request.startSeconds = 10.0;
    request.lengthSeconds = 5.0;
    request.overlay = false;
    request.originals = true;
    request.exportsFolder = tmp_->path() + "full";
    request.ffmpeg = std::string(VELTARA_TEST_PROGRAM_DIR) + "FFMpeg/ffmpeg";
    request.reportProgram = std::string(VELTARA_TEST_PROGRAM_DIR) + "Report/veltara-report";
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = fs::file_size(request.clips.front()) - 1;  // the stretch's video and report fit
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EvidenceExport job;
    std::string folder, reason;
    const bool done = job.run(request, folder, reason);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, ignored);
    EXPECT_FALSE(done) << folder;
    EXPECT_NE(reason.find("cannot write originals/2016_0520_103000_0001F.MP4"), std::string::npos) << reason;
    EXPECT_TRUE(fs::is_empty(request.exportsFolder));
}

}  // namespace
