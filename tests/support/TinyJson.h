#pragma once
// A tiny JSON reader for the output of tools the tests run (ExifTool):
// objects keep their members in order, repeated keys included, since
// ExifTool repeats a tag name within one group.
// Threads: a plain value; any thread.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testing_support {

class TinyJson {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    // false when `text` is no JSON value (trailing blanks allowed).
    static bool parse(std::string_view text, TinyJson& out);

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;                                       // String
    std::vector<TinyJson> items;                            // Array
    std::vector<std::pair<std::string, TinyJson>> members;  // Object, in order

private:
    bool read(std::string_view s, size_t& at, int depth);
};

}  // namespace testing_support
