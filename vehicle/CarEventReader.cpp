#include "vehicle/CarEventReader.h"

#include "platform/FileSystem.h"
#include "track/CameraTime.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

constexpr int kMaxDepth = 32;

bool validUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (n >= s.size() - i) return false;  // cut short
        for (size_t k = 1; k <= n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One pass over the text; every step either takes what it asks for or
// fails, and a failure ends the reading.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void space() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool take(char c) {
        space();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool peek(char c) {
        space();
        return at_ < text_.size() && text_[at_] == c;
    }
    bool word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w) return false;
        at_ += w.size();
        return true;
    }

    // A string's decoded bytes (not checked for UTF-8 here).
    bool string(std::string& out) {
        out.clear();
        if (!take('"')) return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char e = text_[at_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                case 'f':
                case 'n':
                case 'r':
                case 't':
                    out += ' ';
                    break;
                case 'u': {
                    uint32_t cp = 0;
                    if (!hex4(cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        uint32_t low = 0;
                        if (!word("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                        return false;
                    }
                    appendUtf8(out, cp < 0x20 ? ' ' : cp);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }

    // A number's text, as written.
    bool number(std::string& out) {
        space();
        const size_t start = at_;
        while (at_ < text_.size() && (std::string_view("+-.eE0123456789").find(text_[at_]) != std::string_view::npos))
            ++at_;
        out.assign(text_.substr(start, at_ - start));
        return at_ > start;
    }

    // Any value, passed over; nesting is bounded.
    bool skipValue(int depth) {
        if (depth > kMaxDepth) return false;
        space();
        if (at_ >= text_.size()) return false;
        std::string ignored;
        const char c = text_[at_];
        if (c == '"') return string(ignored);
        if (c == 't') return word("true");
        if (c == 'f') return word("false");
        if (c == 'n') return word("null");
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++at_;
            if (take(close)) return true;
            do {
                if (c == '{' && !(string(ignored) && take(':'))) return false;
                if (!skipValue(depth + 1)) return false;
            } while (take(','));
            return take(close);
        }
        return number(ignored);
    }

    bool startsString() { return peek('"'); }
    bool startsNumber() {
        space();
        return at_ < text_.size() && (text_[at_] == '-' || (text_[at_] >= '0' && text_[at_] <= '9'));
    }
    void skipBom() { word("\xEF\xBB\xBF"); }

private:
    bool hex4(uint32_t& value) {
        if (text_.size() - at_ < 4) return false;
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char h = text_[at_++];
            const int digit = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::optional<double> decimal(std::string_view s) {
    s = trimmed(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || error != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<int64_t> CarEventReader::localMoment(std::string_view s) {
    s = trimmed(s);
    if (s.size() < 19) return std::nullopt;
    auto field = [&s](size_t at, size_t digits, int& value) {
        const auto [end, error] = std::from_chars(s.data() + at, s.data() + at + digits, value);
        return error == std::errc() && end == s.data() + at + digits && s[at] != '-' && s[at] != '+';
    };
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!(field(0, 4, year) && s[4] == '-' && field(5, 2, month) && s[7] == '-' && field(8, 2, day) &&
          (s[10] == 'T' || s[10] == ' ' || s[10] == '_') && field(11, 2, hour) && (s[13] == ':' || s[13] == '-') &&
          field(14, 2, minute) && (s[16] == ':' || s[16] == '-') && field(17, 2, second)))
        return std::nullopt;
    if (s.size() > 19 && s[19] != '.') return std::nullopt;
    for (size_t i = 20; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
    TrackRecord r;
    r.valid = true;
    r.year = year;
    r.month = static_cast<uint8_t>(month);
    r.day = static_cast<uint8_t>(day);
    r.hour = static_cast<uint8_t>(hour);
    r.minute = static_cast<uint8_t>(minute);
    r.second = static_cast<uint8_t>(second);
    int64_t seconds = 0;
    if (!cameraSeconds(r, seconds)) return std::nullopt;
    return seconds;
}

namespace {

// Cut at kMaxText bytes, at the start of a character.
std::string shortText(std::string s) {
    if (s.size() <= CarEventReader::kMaxText) return s;
    size_t cut = CarEventReader::kMaxText;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    s.resize(cut);
    return s;
}

void note(CarEvent& event, std::string_view what) {
    if (!event.problem.empty()) event.problem += "; ";
    event.problem += what;
}

}  // namespace

CarEvent CarEventReader::readFile(const std::string& path) {
    if (!platform::isRegularFile(path)) {
        CarEvent event;
        event.problem = platform::pathExists(path) ? "event.json is not a file" : "no event.json";
        return event;
    }
    std::string text;
    // The size is checked before a byte is read: a huge file is never read whole.
    if (!platform::readFile(path, text, kMaxBytes)) {
        CarEvent event;
        event.problem = "event.json is larger than 64 KiB or cannot be read";
        return event;
    }
    return parse(text);
}

CarEvent CarEventReader::parse(std::string_view text) {
    CarEvent event;
    if (text.size() > kMaxBytes) {
        event.problem = "event.json is larger than 64 KiB";
        return event;
    }
    Scanner s(text);
    s.skipBom();
    if (!s.take('{')) {
        event.problem = text.empty() ? "event.json is empty" : "event.json is not a JSON object";
        return event;
    }
    std::optional<std::string> latitude, longitude;
    bool ended = s.take('}');
    std::string key, value;
    while (!ended) {
        if (!s.string(key) || !s.take(':')) break;
        bool have = false;
        if (s.startsString()) {
            if (!s.string(value)) break;
            have = true;
        } else if (s.startsNumber()) {
            if (!s.number(value)) break;
            have = true;
        } else if (!s.skipValue(0)) {
            break;
        }
        if (have && (key == "reason" || key == "city" || key == "timestamp" || key == "est_lat" || key == "est_lon" ||
                     key == "camera")) {
            if (!validUtf8(value)) {
                note(event, key + " is not UTF-8");
            } else if (key == "reason") {
                event.reason = shortText(value);
            } else if (key == "city") {
                event.city = shortText(value);
            } else if (key == "timestamp") {
                event.localSeconds = localMoment(value);
                if (!event.localSeconds) note(event, "timestamp is no moment");
            } else if (key == "est_lat") {
                latitude = value;
            } else if (key == "est_lon") {
                longitude = value;
            } else if (const auto camera = decimal(value);
                       camera && *camera >= 0 && *camera < 100 && *camera == std::floor(*camera)) {
                event.camera = static_cast<int>(*camera);
            } else {
                note(event, "camera is not a camera's number");
            }
        }
        if (s.take(',')) continue;
        ended = s.take('}');
        break;
    }
    if (!ended) note(event, "event.json is cut short or not JSON");

    if (latitude || longitude) {
        const std::optional<double> lat = latitude ? decimal(*latitude) : std::nullopt;
        const std::optional<double> lon = longitude ? decimal(*longitude) : std::nullopt;
        // 0, 0 is what a position never found reads as.
        if (lat && lon && *lat >= -90 && *lat <= 90 && *lon >= -180 && *lon <= 180 && !(*lat == 0 && *lon == 0)) {
            event.latitude = lat;
            event.longitude = lon;
        } else {
            note(event, "the position is no place");
        }
    }
    return event;
}
