#include "veltara-track/ProgressLine.h"

#include "trackfile/TrackTextEscape.h"

void ProgressLine::show(size_t done, size_t total, const std::string& name) {
    if (!enabled_) return;
    std::fprintf(stream_, "\r\033[K[%zu/%zu] %s", done, total, printableText(name).c_str());
    std::fflush(stream_);
    shown_ = true;
}

void ProgressLine::message(const std::string& text) {
    clear();
    std::fprintf(stream_, "%s\n", text.c_str());
    std::fflush(stream_);
}

void ProgressLine::clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    shown_ = false;
}
