#pragma once
// Cuts the player's output into lines at carriage returns and line feeds,
// skipping empty lines. A line that arrives in several reads is kept until
// its end comes, so it is seen whole; a line that grows past kMaxLine bytes
// without an end is handed on in pieces of that size, so memory stays bounded.
//
// Threads: one thread at a time (the player's output reader). Pure otherwise.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

class PlayerOutputSplitter {
public:
    static constexpr size_t kMaxLine = 4096;
    using LineHandler = std::function<void(std::string_view line)>;

    // Hands every complete line of the bytes (with what was kept before) to onLine.
    void feed(std::string_view bytes, const LineHandler& onLine);
    // The end of the output: hands on a last line that had no line end.
    void finish(const LineHandler& onLine);

private:
    std::string partial_;
};
