#include "evidence/ChecksumList.h"

std::string ChecksumList::line(std::string_view hex, std::string_view name) {
    std::string escaped;
    bool any = false;
    for (const char c : name) {
        if (c == '\\') {
            escaped += "\\\\";
            any = true;
        } else if (c == '\n') {
            escaped += "\\n";
            any = true;
        } else {
            escaped += c;
        }
    }
    return (any ? "\\" : "") + std::string(hex) + "  " + escaped + "\n";
}
