#include "cameras/CameraNaming.h"

#include <array>

namespace cameras {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Reads a name's stem from the left; every step either takes what it asks
// for or fails, and a failed entry leaves the name to the next one.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool text(std::string_view expected) {
        if (text_.size() - at_ < expected.size()) return false;
        for (size_t i = 0; i < expected.size(); ++i)
            if (upper(text_[at_ + i]) != upper(expected[i])) return false;
        at_ += expected.size();
        return true;
    }
    // The next `digits` digits (a field of a fixed width may be followed by another).
    bool number(int digits, int& value) { return digitsUpTo(digits, value) == digits; }
    // From `fewest` to `most` digits, as many as there are.
    bool numberOf(int fewest, int most, int& value) {
        return digitsUpTo(most, value) >= fewest && (at_ == text_.size() || !isDigit(text_[at_]));
    }
    // One of the letters (upper case in `letters`); its upper case.
    bool letter(std::string_view letters, char& which) {
        if (at_ >= text_.size()) return false;
        const char c = upper(text_[at_]);
        if (letters.find(c) == std::string_view::npos) return false;
        which = c;
        ++at_;
        return true;
    }
    bool done() const { return at_ == text_.size(); }

private:
    int digitsUpTo(int most, int& value) {
        value = 0;
        int n = 0;
        while (n < most && at_ < text_.size() && isDigit(text_[at_])) {
            value = value * 10 + (text_[at_++] - '0');
            ++n;
        }
        return n;
    }

    std::string_view text_;
    size_t at_ = 0;
};

struct Clock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970 of a real date and time of the years 1970-9999.
std::optional<int64_t> civilSeconds(const Clock& c) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (c.year < 1970 || c.year > 9999 || c.month < 1 || c.month > 12 || c.hour > 23 || c.minute > 59 ||
        c.second > 59)
        return std::nullopt;
    const bool leap = (c.year % 4 == 0 && c.year % 100 != 0) || c.year % 400 == 0;
    if (c.day < 1 || c.day > kDays[c.month - 1] + (c.month == 2 && leap ? 1 : 0)) return std::nullopt;
    // Days from the civil date (proleptic Gregorian), March-based years.
    const int y = c.year - (c.month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (c.month + (c.month > 2 ? -3 : 9)) + 2) / 5 + c.day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = static_cast<int64_t>(era) * 146097 + dayOfEra - 719468;
    return days * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

RecordingKind kindOfLetter(char c) {
    switch (c) {
        case 'N': return RecordingKind::Normal;
        case 'E': return RecordingKind::Event;
        case 'P': return RecordingKind::Parking;
        case 'M': return RecordingKind::Manual;
        default: return RecordingKind::Unknown;
    }
}

CameraChannel frontRearInterior(char c) {
    return c == 'F' ? CameraChannel::Front : c == 'R' ? CameraChannel::Rear : CameraChannel::Interior;
}

// What an entry reads from a stem; the clock is checked after it.
struct Reading {
    CameraChannel channel = CameraChannel::None;
    RecordingKind kind = RecordingKind::Unknown;
    char variant = 0;
    Clock clock;
};

using Reader = bool (*)(Scanner&, Reading&);

// Viofo: 2026_1207_091500_0001F.MP4, with a kind letter 2026_1207_091500_0002EF.MP4.
// The number's width differs between models: 3 to 6 digits are taken.
bool viofo(Scanner& s, Reading& r) {
    int sequence = 0;
    char kind = 0, channel = 0;
    if (!(s.number(4, r.clock.year) && s.text("_") && s.number(2, r.clock.month) && s.number(2, r.clock.day) &&
          s.text("_") && s.number(2, r.clock.hour) && s.number(2, r.clock.minute) && s.number(2, r.clock.second) &&
          s.text("_") && s.numberOf(3, 6, sequence)))
        return false;
    if (s.letter("NEPM", kind)) r.kind = kindOfLetter(kind);
    if (!s.letter("FRI", channel)) return false;
    if (!kind) r.kind = RecordingKind::Normal;
    r.channel = frontRearInterior(channel);
    return true;
}

// BlackVue: 20261207_091500_NF.mp4 (N normal, E event, P parking, M manual; F, R, I).
bool blackVue(Scanner& s, Reading& r) {
    char kind = 0, channel = 0;
    if (!(s.number(4, r.clock.year) && s.number(2, r.clock.month) && s.number(2, r.clock.day) && s.text("_") &&
          s.number(2, r.clock.hour) && s.number(2, r.clock.minute) && s.number(2, r.clock.second) && s.text("_") &&
          s.letter("NEPM", kind) && s.letter("FRI", channel)))
        return false;
    r.kind = kindOfLetter(kind);
    r.channel = frontRearInterior(channel);
    return true;
}

// Thinkware: REC_2026_12_07_09_15_00_F.MP4. Its cameras are seen to write
// EVT_ for events, MOT_ and PARK_ for parking recordings and MAN_ for
// manual ones, the rest of the name alike.
bool thinkware(Scanner& s, Reading& r) {
    static constexpr std::array<std::pair<std::string_view, RecordingKind>, 5> kPrefixes = {{
        {"REC_", RecordingKind::Normal},
        {"EVT_", RecordingKind::Event},
        {"MOT_", RecordingKind::Parking},
        {"PARK_", RecordingKind::Parking},
        {"MAN_", RecordingKind::Manual},
    }};
    bool prefix = false;
    for (const auto& [text, kind] : kPrefixes) {
        if (s.text(text)) {
            r.kind = kind;
            prefix = true;
            break;
        }
    }
    char channel = 0;
    if (!(prefix && s.number(4, r.clock.year) && s.text("_") && s.number(2, r.clock.month) && s.text("_") &&
          s.number(2, r.clock.day) && s.text("_") && s.number(2, r.clock.hour) && s.text("_") &&
          s.number(2, r.clock.minute) && s.text("_") && s.number(2, r.clock.second) && s.text("_") &&
          s.letter("FR", channel)))
        return false;
    r.channel = frontRearInterior(channel);
    return true;
}

// Nextbase: 261207_091500_001_FH.MP4; the last letter tells two recordings
// of one channel apart (H and L), so each is followed on its own.
bool nextbase(Scanner& s, Reading& r) {
    int sequence = 0;
    char channel = 0;
    if (!(s.number(2, r.clock.year) && s.number(2, r.clock.month) && s.number(2, r.clock.day) && s.text("_") &&
          s.number(2, r.clock.hour) && s.number(2, r.clock.minute) && s.number(2, r.clock.second) && s.text("_") &&
          s.number(3, sequence) && s.text("_") && s.letter("FR", channel) && s.letter("HL", r.variant)))
        return false;
    r.clock.year += 2000;
    r.channel = frontRearInterior(channel);
    return true;
}

// Vantrue: 2026_1207_091500_001A.MP4 (A front, B rear).
bool vantrue(Scanner& s, Reading& r) {
    int sequence = 0;
    char channel = 0;
    if (!(s.number(4, r.clock.year) && s.text("_") && s.number(2, r.clock.month) && s.number(2, r.clock.day) &&
          s.text("_") && s.number(2, r.clock.hour) && s.number(2, r.clock.minute) && s.number(2, r.clock.second) &&
          s.text("_") && s.numberOf(3, 6, sequence) && s.letter("AB", channel)))
        return false;
    r.channel = channel == 'A' ? CameraChannel::Front : CameraChannel::Rear;
    return true;
}

// 70mai: Front/NO20261207-091500-000001F.MP4 and Back/NO20261207-091500-000002B.MP4.
// Its cameras are seen to write EV for events and PA for parking in place of NO.
bool seventyMai(Scanner& s, Reading& r) {
    static constexpr std::array<std::pair<std::string_view, RecordingKind>, 3> kPrefixes = {{
        {"NO", RecordingKind::Normal},
        {"EV", RecordingKind::Event},
        {"PA", RecordingKind::Parking},
    }};
    bool prefix = false;
    for (const auto& [text, kind] : kPrefixes) {
        if (s.text(text)) {
            r.kind = kind;
            prefix = true;
            break;
        }
    }
    int sequence = 0;
    char channel = 0;
    if (!(prefix && s.number(4, r.clock.year) && s.number(2, r.clock.month) && s.number(2, r.clock.day) &&
          s.text("-") && s.number(2, r.clock.hour) && s.number(2, r.clock.minute) && s.number(2, r.clock.second) &&
          s.text("-") && s.numberOf(1, 9, sequence) && s.letter("FB", channel)))
        return false;
    r.channel = channel == 'F' ? CameraChannel::Front : CameraChannel::Rear;
    return true;
}

// Tesla: 2026-12-07_09-15-00-front.mp4, -back, -left_repeater,
// -right_repeater, -left_pillar, -right_pillar.
bool tesla(Scanner& s, Reading& r) {
    static constexpr std::array<std::pair<std::string_view, CameraChannel>, 6> kCameras = {{
        {"front", CameraChannel::Front},
        {"back", CameraChannel::Rear},
        {"left_repeater", CameraChannel::LeftRepeater},
        {"right_repeater", CameraChannel::RightRepeater},
        {"left_pillar", CameraChannel::LeftPillar},
        {"right_pillar", CameraChannel::RightPillar},
    }};
    if (!(s.number(4, r.clock.year) && s.text("-") && s.number(2, r.clock.month) && s.text("-") &&
          s.number(2, r.clock.day) && s.text("_") && s.number(2, r.clock.hour) && s.text("-") &&
          s.number(2, r.clock.minute) && s.text("-") && s.number(2, r.clock.second) && s.text("-")))
        return false;
    for (const auto& [word, channel] : kCameras) {
        if (s.text(word) && s.done()) {
            r.channel = channel;
            return true;
        }
    }
    return false;
}

struct Entry {
    CameraFamily family;
    Reader read;
};

// In the order tried: the shapes do not overlap, but Generic takes the
// final letter of almost any name and comes last (it is not in this table).
constexpr std::array<Entry, 7> kTable = {{
    {CameraFamily::Viofo, viofo},
    {CameraFamily::BlackVue, blackVue},
    {CameraFamily::Thinkware, thinkware},
    {CameraFamily::Nextbase, nextbase},
    {CameraFamily::Vantrue, vantrue},
    {CameraFamily::SeventyMai, seventyMai},
    {CameraFamily::Tesla, tesla},
}};

// Generic: 2026_1207_101500_F.MP4, clip-R.mp4, 20261207_101500_0001I.MP4 --
// the letter F, R or I ending the stem after '_', '-', a digit, or a letter
// that follows '_' ("..._NF"). Returns the stem without the letter.
std::optional<std::string_view> generic(std::string_view stem, CameraChannel& channel) {
    if (stem.size() < 2) return std::nullopt;
    const char last = upper(stem.back());
    if (last != 'F' && last != 'R' && last != 'I') return std::nullopt;
    const char before = stem[stem.size() - 2];
    const bool afterLetter = isLetter(before) && stem.size() >= 3 && stem[stem.size() - 3] == '_';
    if (before != '_' && before != '-' && !isDigit(before) && !afterLetter) return std::nullopt;
    channel = frontRearInterior(last);
    return stem.substr(0, stem.size() - 1);
}

// The camera's folder: sibling channel folders ("Front/", "Back/") count as
// their parent's.
std::string placeOf(std::string_view folder) {
    if (folder.size() < 2) return std::string(folder);
    const size_t slash = folder.find_last_of('/', folder.size() - 2);
    const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view last = folder.substr(start, folder.size() - 1 - start);
    if (channelOfFolder(last) == CameraChannel::None) return std::string(folder);
    return std::string(folder.substr(0, start)) + "\x02";
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    return out;
}

}  // namespace

ClipName CameraNaming::parse(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    const std::string_view name = path.substr(folder.size());
    const size_t dot = name.find_last_of('.');
    const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    const std::string_view extension = name.substr(stem.size());

    ClipName clip;
    for (const Entry& entry : kTable) {
        Scanner scanner(stem);
        Reading reading;
        if (!entry.read(scanner, reading) || !scanner.done()) continue;
        const std::optional<int64_t> start = civilSeconds(reading.clock);
        if (!start) return clip;  // the shape of a camera's name, but no moment: unknown
        clip.family = entry.family;
        clip.channel = reading.channel;
        clip.kind = reading.kind;
        clip.variant = reading.variant;
        clip.startSeconds = start;
        clip.camera = std::string(familyName(entry.family)) + '\x01' + placeOf(folder) + '\x01' + lower(extension);
        if (reading.variant != 0) clip.camera.push_back(reading.variant);
        return clip;
    }
    CameraChannel channel = CameraChannel::None;
    if (const auto rest = generic(stem, channel)) {
        clip.family = CameraFamily::Generic;
        clip.channel = channel;
        clip.camera = std::string(familyName(clip.family)) + '\x01' + placeOf(folder) + std::string(*rest) + '\x01' +
                      lower(extension);
    }
    return clip;
}

}  // namespace cameras
