#pragma once
// Cuts a byte stream (the slave commands on standard input) into lines at
// line feeds. A line longer than the limit is dropped whole, so a writer that
// never sends a line feed cannot make the engine hold unbounded memory.
// Single-threaded; used by the engine's main thread.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace engine {

class LineSplitter {
public:
    using LineHandler = std::function<void(std::string_view line)>;

    explicit LineSplitter(size_t maxLineLength = 1024) : maxLineLength_(maxLineLength) {}

    // Calls onLine for every complete line in the bytes, without the line feed.
    void feed(std::string_view bytes, const LineHandler& onLine);
    // At the end of the stream: the unterminated rest, if any, is a line too.
    void finish(const LineHandler& onLine);
    // How many overlong lines were dropped so far.
    size_t droppedLines() const { return droppedLines_; }

private:
    size_t maxLineLength_;
    std::string partial_;
    bool discarding_ = false;  // inside an overlong line, until its line feed
    size_t droppedLines_ = 0;
};

}  // namespace engine
