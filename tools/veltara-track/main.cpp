// veltara-track: writes the GPS and G-sensor track of dash camera clips to
// standard output, extracted exactly as the player extracts it.
#include "ProgressLine.h"
#include "TrackFileExtractor.h"
#include "TrackTextEscape.h"
#include "TrackToolOptions.h"
#include "TrackWriter.h"

#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The signal that asked the tool to end, or 0. The handler only sets it; the
// extraction gives up the current clip and everything is released normally.
std::atomic<int> interrupted{0};

void onSignal(int signal) {
    interrupted.store(signal);
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

bool flush(std::string& out) {
    const bool ok = out.empty() || std::fwrite(out.data(), 1, out.size(), stdout) == out.size();
    out.clear();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    TrackToolOptions options;
    std::string error;
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    switch (parseTrackToolOptions(arguments, options, error)) {
        case TrackToolParse::Help:
            std::fputs(trackToolUsage().c_str(), stdout);
            return kExitOk;
        case TrackToolParse::UsageError:
            std::fprintf(stderr, "veltara-track: %s\n%s", printableText(error).c_str(), trackToolUsage().c_str());
            return kExitUsage;
        case TrackToolParse::Run:
            break;
    }

    installSignalHandlers();
    TrackFileExtractor extractor(SubtitleExtractor::standardConverterPath(), options);
    extractor.setInterruptFlag(&interrupted);
    const std::unique_ptr<TrackWriter> writer = makeTrackWriter(options.format);
    ProgressLine progress(stderr, options.files.size() > 1 && ::isatty(STDERR_FILENO) == 1);

    std::string out;
    bool written = true;
    int status = kExitOk;
    writer->begin(out);
    written = flush(out) && written;
    std::vector<TrackRecord> records;
    std::string reason;
    for (size_t i = 0; i < options.files.size(); ++i) {
        if (interrupted.load() != 0) break;
        const std::string& file = options.files[i];
        progress.show(i + 1, options.files.size(), file);
        const TrackFileExtractor::Result result = extractor.extract(file, records, reason);
        if (interrupted.load() != 0) break;
        if (result != TrackFileExtractor::Result::Track) {
            progress.message("veltara-track: " + printableText(file) + ": " + printableText(reason));
            status = kExitFailed;
        }
        if (result != TrackFileExtractor::Result::Failed) {
            writer->track(out, file, records);
            written = flush(out) && written;
        }
    }
    progress.clear();
    if (const int signal = interrupted.load(); signal != 0) {
        std::fprintf(stderr, "veltara-track: interrupted by signal %d\n", signal);
        return 128 + signal;
    }
    writer->end(out);
    written = flush(out) && written;
    if (std::fflush(stdout) != 0 || !written) {
        std::fprintf(stderr, "veltara-track: cannot write the output\n");
        return kExitFailed;
    }
    return status;
}
