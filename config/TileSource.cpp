#include "config/TileSource.h"

#include "platform/AsciiCase.h"

namespace {

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

TileSource TileSource::read(const ConfigStore& store, std::string_view pageFileName) {
    TileSource source;
    const std::string section = sectionFor(pageFileName);
    if (section.empty()) return source;
    const std::string url = store.ReadConfigString("", kUrlKey, section);
    if (!isUrlTemplate(url)) return source;
    source.urlTemplate = url;
    source.attributionHtml = escapeHtml(store.ReadConfigString("", kAttributionKey, section));
    const int zoom = store.ReadConfigInt(0, kMaxZoomKey, section);
    if (zoom >= kLowestMaxZoom && zoom <= kHighestMaxZoom) source.maxZoom = zoom;
    return source;
}

std::string TileSource::sectionFor(std::string_view pageFileName) {
    constexpr std::string_view kSuffix = ".html";
    if (pageFileName.size() > kSuffix.size() && pageFileName.substr(pageFileName.size() - kSuffix.size()) == kSuffix)
        pageFileName.remove_suffix(kSuffix.size());
    return std::string(pageFileName);
}

bool TileSource::isUrlTemplate(std::string_view text) {
    size_t hostStart = 0;
    if (startsWithIgnoringCase(text, "https://")) {
        hostStart = 8;
    } else if (startsWithIgnoringCase(text, "http://")) {
        hostStart = 7;
    } else {
        return false;
    }
    // A host of its own; of the placeholders only the subdomain may stand in it.
    const std::string_view host = text.substr(hostStart);
    if (host.empty() || host[0] == '/' || (host[0] == '{' && host.substr(0, 3) != "{s}")) return false;
    for (const char c : text) {
        // Printable ASCII without blanks, quotes, backslashes or angle brackets.
        if (c <= 0x20 || c >= 0x7f) return false;
        if (c == '"' || c == '\'' || c == '\\' || c == '<' || c == '>' || c == '`') return false;
    }
    bool z = false, x = false, y = false;
    for (size_t open = text.find('{'); open != std::string_view::npos; open = text.find('{', open + 1)) {
        const size_t close = text.find('}', open);
        if (close == std::string_view::npos) return false;
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name == "z") {
            z = true;
        } else if (name == "x") {
            x = true;
        } else if (name == "y") {
            y = true;
        } else if (name != "s") {
            return false;  // the map library fails on a placeholder it cannot fill
        }
    }
    return z && x && y;
}

std::string TileSource::escapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) escaped += c;
        }
    }
    return escaped;
}
