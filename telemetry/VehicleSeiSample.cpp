#include "telemetry/VehicleSeiSample.h"

#include "telemetry/BigEndian.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kSeiUnit = 6;
constexpr unsigned kUserDataUnregistered = 5;
constexpr unsigned char kRunByte = 0x42;
constexpr unsigned char kMarkByte = 0x69;
constexpr unsigned char kTrailingByte = 0x80;
constexpr int kMaxSeiMessages = 32;

// Removes the emulation-prevention bytes (0x03 after two zero bytes); false
// when one ends the unit, which no writer leaves in an SEI. The runs between
// them are copied whole: a unit seldom holds one.
bool unescape(std::string_view bytes, std::string& out) {
    out.resize(bytes.size());
    char* to = out.data();
    bool escapeLast = false;
    size_t from = 0;
    for (size_t at = 2; at < bytes.size(); ++at) {
        const void* three = std::memchr(bytes.data() + at, 3, bytes.size() - at);
        if (three == nullptr) break;
        at = static_cast<size_t>(static_cast<const char*>(three) - bytes.data());
        if (at < from + 2 || bytes[at - 1] != 0 || bytes[at - 2] != 0) continue;
        std::memcpy(to, bytes.data() + from, at - from);
        to += at - from;
        from = at + 1;
        escapeLast = from == bytes.size();
    }
    std::memcpy(to, bytes.data() + from, bytes.size() - from);
    to += bytes.size() - from;
    out.resize(static_cast<size_t>(to - out.data()));
    return !escapeLast;
}

// An SEI number: bytes of 255, then the rest.
bool seiNumber(std::string_view rbsp, size_t& at, uint64_t& value) {
    value = 0;
    while (at < rbsp.size()) {
        const auto byte = static_cast<unsigned char>(rbsp[at++]);
        value += byte;
        if (byte != 0xff) return true;
    }
    return false;
}

// After the first message: further messages, then the trailing byte alone.
bool wellEnded(std::string_view rbsp, size_t at) {
    for (int k = 0; k < kMaxSeiMessages; ++k) {
        if (rbsp.size() - at == 1) return static_cast<unsigned char>(rbsp[at]) == kTrailingByte;
        uint64_t type, size;
        if (!seiNumber(rbsp, at, type) || !seiNumber(rbsp, at, size) || size > rbsp.size() - at) return false;
        at += size;
    }
    return false;
}

}  // namespace

VehicleSeiSample::Scan VehicleSeiSample::unit(std::string_view nal, std::string& message) {
    if (nal.size() < 2) return Scan::NoMessage;
    // The unit is unescaped into `message` (whose room the caller keeps
    // from frame to frame) and cut down to the message at the end.
    std::string& rbsp = message;
    const bool clean = unescape(nal.substr(1), rbsp);
    size_t at = 0;
    uint64_t type, size;
    if (!seiNumber(rbsp, at, type) || !seiNumber(rbsp, at, size) || type != kUserDataUnregistered)
        return Scan::NoMessage;
    size_t mark = at;
    while (mark < rbsp.size() && static_cast<unsigned char>(rbsp[mark]) == kRunByte) ++mark;
    if (mark == at || mark == rbsp.size() || static_cast<unsigned char>(rbsp[mark]) != kMarkByte)
        return Scan::NoMessage;
    // The car's: from here on, what does not fit is damage.
    if (!clean || size > rbsp.size() - at || mark + 1 > at + size) return Scan::Damaged;
    if (!wellEnded(rbsp, at + size)) return Scan::Damaged;
    rbsp.resize(at + size);
    rbsp.erase(0, mark + 1);
    return Scan::Message;
}

VehicleSeiSample::Scan VehicleSeiSample::scan(std::string_view start, uint64_t sampleSize, std::string& message,
                                              size_t& needed) {
    if (start.size() > sampleSize) start = start.substr(0, sampleSize);
    uint64_t at = 0;
    // Found or not, the walk goes on to the first slice: a sample whose
    // lengths do not add up is bad as a whole.
    bool found = false;
    const auto ended = [&] { return found ? Scan::Message : Scan::NoMessage; };
    for (int units = 0; units < kMaxUnits; ++units) {
        if (at == sampleSize) return ended();
        if (sampleSize - at < 4) return Scan::BadSample;
        if (start.size() < at + 5) {
            needed = static_cast<size_t>(std::min<uint64_t>(sampleSize, at + 5));
            if (needed > start.size()) return Scan::NeedMore;
        }
        const uint64_t length = bigEndian::u32(start, at);
        if (length > sampleSize - at - 4) return Scan::BadSample;
        if (length == 0) {
            at += 4;
            continue;
        }
        const unsigned type = static_cast<unsigned char>(start[at + 4]) & 0x1f;
        if (type >= 1 && type <= 5) return ended();  // the first slice: no message after it counts
        if (type == kSeiUnit && !found) {
            if (length > kMaxSeiBytes) return Scan::Damaged;
            if (start.size() - at - 4 < length) {
                needed = static_cast<size_t>(at + 4 + length);
                return Scan::NeedMore;
            }
            const Scan scan = unit(start.substr(at + 4, length), message);
            if (scan == Scan::Damaged) return scan;
            found = scan == Scan::Message;
        }
        at += 4 + length;
    }
    return ended();
}
