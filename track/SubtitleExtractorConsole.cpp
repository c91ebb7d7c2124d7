#include "track/SubtitleExtractorConsole.h"

void SubtitleExtractorConsole::feed(const char* text, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (!partial_.empty()) line(partial_);
            partial_.clear();
        } else if (partial_.size() < kMaxLine) {
            partial_ += c;
        }
    }
}

void SubtitleExtractorConsole::finish() {
    if (!partial_.empty()) line(partial_);
    partial_.clear();
}

void SubtitleExtractorConsole::line(const std::string& text) {
    if (text.find("Subtitle: mov_text") != std::string::npos)
        sawSubtitleStream_ = true;
    else if (text.find("Ambarella EXT") != std::string::npos)
        sawCameraMarker_ = true;
    if (text.rfind("Input #", 0) == 0) sawInput_ = true;
    if (text.find("Stream #") != std::string::npos) {
        if (text.find(": Video: ") != std::string::npos) sawVideo_ = true;
        if (text.find(": Subtitle: ") != std::string::npos) sawAnySubtitle_ = true;
    }
    // Progress lines say nothing about why a run ended.
    if (text.find_first_not_of(' ') != std::string::npos && text.rfind("size=", 0) != 0) lastLine_ = text;
}
