#pragma once
// Lines of a SHA256SUMS file as `sha256sum -c` reads them: "<hex>  <name>".
// A name with a backslash or a line feed is written as sha256sum writes it:
// the line starts with a backslash and those characters are escaped.
// Threads: any; pure.
#include <string>
#include <string_view>

class ChecksumList {
public:
    static std::string line(std::string_view hex, std::string_view name);
};
