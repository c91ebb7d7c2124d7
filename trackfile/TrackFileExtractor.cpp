#include "trackfile/TrackFileExtractor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

using namespace std::chrono_literals;

namespace {

constexpr auto kPollInterval = 100ms;

}  // namespace

namespace {

std::string withDetail(const std::string& reason, const std::string& detail) {
    return detail.empty() ? reason : reason + " (" + detail + ")";
}

// Catches what the converter would only report vaguely, or would wait on
// (a FIFO), before it is started.
bool readableFile(const std::string& path, std::string& reason) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        reason = "is a folder, not a video file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = "is not a regular file";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    ::close(fd);
    if (st.st_size == 0) {
        reason = "is empty";
        return false;
    }
    return true;
}

}  // namespace

TrackFileExtractor::TrackFileExtractor(const std::string& converterPath, const TrackFileOptions& options)
    : converterPath_(converterPath) {
    extractor_.setConverterPath(converterPath);
    extractor_.setExtraArguments(SubtitleExtractor::STANDARD_EXTRA_ARGUMENTS);
    extractor_.setSampling(options.sampling);
    extractor_.setStore(&store_);
    extractor_.setConversion(options.conversion());
}

std::string TrackFileExtractor::whyEmpty(const SubtitleExtractor::RunReport& report) {
    if (report.socketError != 0)
        return std::string("cannot set up the extraction socket: ") + std::strerror(report.socketError);
    if (report.connected) return "has an empty subtitle track";
    if (!report.sawInput) return withDetail("is not a video file or is damaged", report.lastConsoleLine);
    if (!report.sawVideo) return "is not a video file";
    if (!report.sawAnySubtitle) return "has no subtitle track";
    return withDetail("has no subtitle track that can be read as text", report.lastConsoleLine);
}

TrackFileExtractor::Result TrackFileExtractor::extract(const std::string& path, std::vector<TrackRecord>& records,
                                                       std::string& reason) {
    records.clear();
    reason.clear();
    if (!readableFile(path, reason)) return Result::Failed;

    store_.clear();
    extractor_.setInputPath(path);
    if (const int error = extractor_.start()) {
        reason = error == 1 ? "cannot start the extraction threads"
                            : "cannot start the converter " + converterPath_ + ": " + std::strerror(error);
        return Result::Failed;
    }
    // The run ends by itself: at the end of the stream, or when the converter
    // exits without connecting. A run that makes no headway for the stall
    // limit (a file whose reads block, a converter that hangs) is ended, and
    // so is one that a signal interrupts.
    auto lastChange = std::chrono::steady_clock::now();
    uint64_t progress = extractor_.progress();
    bool stalled = false;
    while (!extractor_.waitUntilIdle(kPollInterval)) {
        if (interrupted_ && interrupted_->load() != 0) break;
        const auto now = std::chrono::steady_clock::now();
        if (extractor_.progress() != progress) {
            progress = extractor_.progress();
            lastChange = now;
        } else if (now - lastChange > stallLimit_) {
            stalled = true;
            break;
        }
    }
    extractor_.stop();  // reaps the converter and joins the watcher
    if (interrupted_ && interrupted_->load() != 0) {
        reason = "interrupted";
        return Result::Failed;
    }
    const SubtitleExtractor::RunReport report = extractor_.report();

    for (int32_t i = 0; i < store_.getReadyPages(); ++i) {
        const TrackPage* page = store_.getPage(i);
        if (page == nullptr) break;
        records.insert(records.end(), page->records(), page->records() + page->count());
    }
    if (stalled) {
        reason = "gave no data for " + std::to_string(stallLimit_.count() / 1000) +
                 " s (the file cannot be read, or the converter hangs)";
        return records.empty() ? Result::Failed : Result::PartialTrack;
    }
    if (records.empty()) {
        reason = whyEmpty(report);
        return Result::Failed;
    }
    if (report.readFailed) {
        reason = "the track was cut short: a subtitle message was longer than 1024 bytes";
        return Result::PartialTrack;
    }
    return Result::Track;
}
