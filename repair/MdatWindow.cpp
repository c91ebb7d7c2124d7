#include "repair/MdatWindow.h"

#include <algorithm>

const unsigned char* MdatWindow::at(uint64_t at, size_t n) {
    if (n > kWindow || at > end_ || n > end_ - at) return nullptr;
    if (at < start_ || at + n > start_ + buffer_.size()) {
        const size_t length = static_cast<size_t>(std::min<uint64_t>(kWindow, end_ - at));
        if (!file_.read(at, length, buffer_)) {
            buffer_.clear();
            return nullptr;
        }
        start_ = at;
    }
    return reinterpret_cast<const unsigned char*>(buffer_.data()) + (at - start_);
}
