#include "trackfile/TrackTextEscape.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the proper UTF-8 sequence at text[i], or 0.
size_t sequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t b = byte(i);
    if (b < 0x80) return 1;
    size_t n;
    uint32_t min;
    uint32_t code;
    if ((b & 0xE0) == 0xC0)
        n = 2, min = 0x80, code = b & 0x1F;
    else if ((b & 0xF0) == 0xE0)
        n = 3, min = 0x800, code = b & 0x0F;
    else if ((b & 0xF8) == 0xF0)
        n = 4, min = 0x10000, code = b & 0x07;
    else
        return 0;
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::string validUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = sequenceLength(text, i);
        if (n == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string printableText(std::string_view text) {
    std::string out = validUtf8(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return out;
}

std::string csvField(std::string_view raw) {
    std::string text;
    if (!raw.empty() && std::string_view("=+-@\t\r").find(raw.front()) != std::string_view::npos) text += '\'';
    for (const char c : raw) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
            text += escaped;
        } else {
            text += c;
        }
    }
    const bool quote = text.find_first_of(",\"") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace {

// U+FFFE, U+FFFF and the other non-characters: XML 1.0 has no place for them.
std::string withoutNonCharacters(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t n = sequenceLength(text, i);  // text is valid UTF-8 here
        uint32_t code = static_cast<uint8_t>(text[i]);
        if (n > 1) {
            code &= 0x7F >> n;
            for (size_t k = 1; k < n; ++k) code = (code << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
        }
        if ((code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE)
            out += kReplacement;
        else
            out.append(text, i, n);
        i += n;
    }
    return out;
}

}  // namespace

std::string xmlText(std::string_view text) {
    std::string out;
    for (const char c : withoutNonCharacters(validUtf8(text))) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            // References survive the parser's line-end and attribute normalisation.
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                // XML 1.0 cannot hold these at all, not even as references.
                if (static_cast<unsigned char>(c) < 0x20)
                    out += kReplacement;
                else
                    out += c;
        }
    }
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : validUtf8(text)) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}
