#include "engine/LineSplitter.h"

namespace engine {

void LineSplitter::feed(std::string_view bytes, const LineHandler& onLine) {
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (!discarding_) {
            if (partial_.size() + piece.size() > maxLineLength_) {
                partial_.clear();
                discarding_ = true;
                ++droppedLines_;
            } else {
                partial_.append(piece);
            }
        }
        if (end == std::string_view::npos) return;
        if (!discarding_) onLine(partial_);
        partial_.clear();
        discarding_ = false;
        bytes.remove_prefix(end + 1);
    }
}

void LineSplitter::finish(const LineHandler& onLine) {
    if (!discarding_ && !partial_.empty()) onLine(partial_);
    partial_.clear();
    discarding_ = false;
}

}  // namespace engine
