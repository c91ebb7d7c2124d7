#include "support/TinyJson.h"

#include <cstdlib>
#include <tuple>

namespace testing_support {

namespace {

void skipBlanks(std::string_view s, size_t& at) {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t')) ++at;
}

void appendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool readString(std::string_view s, size_t& at, std::string& out) {
    if (at >= s.size() || s[at] != '"') return false;
    for (++at; at < s.size(); ++at) {
        const char c = s[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++at >= s.size()) return false;
        switch (s[at]) {
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 'b':
                out.push_back('\b');
                break;
            case 'f':
                out.push_back('\f');
                break;
            case 'u': {
                if (at + 4 >= s.size()) return false;
                appendUtf8(out,
                           static_cast<unsigned>(std::strtoul(std::string(s.substr(at + 1, 4)).c_str(), nullptr, 16)));
                at += 4;
                break;
            }
            default:
                out.push_back(s[at]);
        }
    }
    return false;
}

}  // namespace

bool TinyJson::parse(std::string_view text, TinyJson& out) {
    size_t at = 0;
    out = TinyJson{};
    if (!out.read(text, at, 0)) return false;
    skipBlanks(text, at);
    return at == text.size();
}

bool TinyJson::read(std::string_view s, size_t& at, int depth) {
    if (depth > 64) return false;
    skipBlanks(s, at);
    if (at >= s.size()) return false;
    const char c = s[at];
    if (c == '{' || c == '[') {
        const bool object = c == '{';
        kind = object ? Kind::Object : Kind::Array;
        ++at;
        skipBlanks(s, at);
        if (at < s.size() && s[at] == (object ? '}' : ']')) return ++at, true;
        for (;;) {
            TinyJson value;
            std::string key;
            if (object) {
                skipBlanks(s, at);
                if (!readString(s, at, key)) return false;
                skipBlanks(s, at);
                if (at >= s.size() || s[at++] != ':') return false;
            }
            if (!value.read(s, at, depth + 1)) return false;
            if (object)
                members.emplace_back(std::move(key), std::move(value));
            else
                items.push_back(std::move(value));
            skipBlanks(s, at);
            if (at >= s.size()) return false;
            if (s[at] == ',') {
                ++at;
                continue;
            }
            return s[at++] == (object ? '}' : ']');
        }
    }
    if (c == '"') {
        kind = Kind::String;
        return readString(s, at, text);
    }
    for (const auto& [word, k, b] : {std::tuple{"true", Kind::Bool, true}, std::tuple{"false", Kind::Bool, false},
                                     std::tuple{"null", Kind::Null, false}}) {
        if (s.substr(at, std::string_view(word).size()) == word) {
            kind = k;
            boolean = b;
            at += std::string_view(word).size();
            return true;
        }
    }
    const std::string rest(s.substr(at, 64));
    char* end = nullptr;
    number = std::strtod(rest.c_str(), &end);
    if (end == rest.c_str()) return false;
    kind = Kind::Number;
    at += static_cast<size_t>(end - rest.c_str());
    return true;
}

}  // namespace testing_support
