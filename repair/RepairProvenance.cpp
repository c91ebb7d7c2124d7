#include "repair/RepairProvenance.h"

#include "repair/BoxBytes.h"
#include "telemetry/IsoFile.h"

#include <array>

namespace {

constexpr uint8_t kVersion = 1;
// A version byte and four fields of at most kMaxName bytes.
constexpr size_t kMaxPayload = 1 + 4 * (2 + RepairProvenance::kMaxName);

// Cut to kMaxName without splitting a UTF-8 character.
std::string bounded(const std::string& text) {
    if (text.size() <= RepairProvenance::kMaxName) return text;
    size_t end = RepairProvenance::kMaxName;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

bool plainName(const std::string& name) {
    if (name.empty() || name.size() > RepairProvenance::kMaxName || name == "." || name == "..") return false;
    size_t i = 0;
    while (i < name.size()) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F || c == '/') return false;
        size_t more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
        if (more == 4 || (more > 0 && c < 0xC2) || i + more >= name.size()) return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

bool digest(const std::string& hex) {
    if (hex.size() != 64) return false;
    for (const char c : hex)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

std::string RepairProvenance::udta() const {
    std::string payload(1, static_cast<char>(kVersion));
    for (const std::string* field : {&original, &originalSha256, &reference, &referenceSha256}) {
        const std::string text = bounded(*field);
        boxBytes::u16(payload, static_cast<uint32_t>(text.size()));
        payload += text;
    }
    return boxBytes::box("udta", boxBytes::box(kBoxType, payload));
}

std::optional<RepairProvenance> RepairProvenance::parse(const std::string& payload) {
    if (payload.size() > kMaxPayload || payload.empty() || static_cast<uint8_t>(payload[0]) != kVersion)
        return std::nullopt;
    std::array<std::string, 4> fields;
    size_t at = 1;
    for (std::string& field : fields) {
        if (payload.size() - at < 2) return std::nullopt;
        const size_t n = (static_cast<uint8_t>(payload[at]) << 8) | static_cast<uint8_t>(payload[at + 1]);
        at += 2;
        if (n > kMaxName || payload.size() - at < n) return std::nullopt;
        field = payload.substr(at, n);
        at += n;
    }
    RepairProvenance p{fields[0], fields[1], fields[2], fields[3]};
    if (!plainName(p.original) || !plainName(p.reference) || !digest(p.originalSha256) || !digest(p.referenceSha256))
        return std::nullopt;
    return p;
}

std::optional<RepairProvenance> RepairProvenance::read(const std::string& path) {
    IsoFile file;
    std::string reason, payload;
    IsoBox udta, box;
    if (!file.open(path, reason) || file.moov().size == 0 || !file.findChild(file.moov(), fourcc("udta"), udta) ||
        !file.findChild(udta, fourcc("VLrp"), box) || !file.payload(box, payload, kMaxPayload))
        return std::nullopt;
    return parse(payload);
}
