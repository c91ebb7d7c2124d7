// The player's output as the reader sees it: cut into reads of varying
// size, split into lines, and each line parsed. Whatever the bytes, nothing
// crashes, lines stay bounded, numbers stay finite and names stay short.
#include "player/PlayerLineParser.h"
#include "player/PlayerOutputSplitter.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses how the rest is cut into reads.
    const size_t step = 1 + data[0] % 64;
    const std::string_view output(reinterpret_cast<const char*>(data + 1), size - 1);

    PlayerOutputSplitter splitter;
    const auto onLine = [](std::string_view line) {
        if (line.empty() || line.size() > PlayerOutputSplitter::kMaxLine) std::abort();
        if (line.find_first_of("\r\n") != std::string_view::npos) std::abort();
        const PlayerLine parsed = PlayerLineParser::parse(line);
        if (!std::isfinite(parsed.number)) std::abort();
        switch (parsed.kind) {
            case PlayerLine::Kind::SubtitleText:
                if (parsed.text.empty() || parsed.text.size() > PlayerLineParser::kMaxSubtitleText) std::abort();
                break;
            case PlayerLine::Kind::Screenshot:
                if (parsed.text.empty() || parsed.text.size() > PlayerLineParser::kMaxScreenshotName ||
                    parsed.text.find('/') != std::string::npos)
                    std::abort();
                break;
            default:
                break;
        }
    };
    for (size_t at = 0; at < output.size(); at += step) splitter.feed(output.substr(at, step), onLine);
    splitter.finish(onLine);
    return 0;
}
