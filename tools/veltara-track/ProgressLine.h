#pragma once
// A progress line on standard error ("[3/12] name") that is rewritten in
// place, shown only when there are several files and standard error is a
// terminal. Messages printed through it clear the line first.
//
// Threads: main only.
#include <cstdio>
#include <string>

class ProgressLine {
public:
    ProgressLine(std::FILE* stream, bool enabled) : stream_(stream), enabled_(enabled) {}
    ~ProgressLine() { clear(); }

    void show(size_t done, size_t total, const std::string& name);
    // One line of its own (an error), with the progress line out of the way.
    void message(const std::string& text);
    void clear();

private:
    std::FILE* stream_;
    bool enabled_;
    bool shown_ = false;
};
