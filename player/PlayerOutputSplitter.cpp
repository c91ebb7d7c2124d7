#include "player/PlayerOutputSplitter.h"

#include <algorithm>

void PlayerOutputSplitter::feed(std::string_view bytes, const LineHandler& onLine) {
    for (;;) {
        const size_t end = bytes.find_first_of("\r\n");
        std::string_view piece = bytes.substr(0, end);
        while (!piece.empty()) {
            const size_t take = std::min(kMaxLine - partial_.size(), piece.size());
            partial_.append(piece.substr(0, take));
            piece.remove_prefix(take);
            if (partial_.size() == kMaxLine) {
                onLine(partial_);
                partial_.clear();
            }
        }
        if (end == std::string_view::npos) return;
        bytes.remove_prefix(end + 1);
        if (!partial_.empty()) {
            onLine(partial_);
            partial_.clear();
        }
    }
}

void PlayerOutputSplitter::finish(const LineHandler& onLine) {
    if (!partial_.empty()) onLine(partial_);
    partial_.clear();
}
