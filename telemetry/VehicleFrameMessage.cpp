#include "telemetry/VehicleFrameMessage.h"

#include <cstring>

namespace {

enum WireType : uint32_t { kVarint = 0, kFixed64 = 1, kLengthDelimited = 2, kFixed32 = 5 };

class Fields {
public:
    explicit Fields(std::string_view bytes)
        : at_(reinterpret_cast<const unsigned char*>(bytes.data())), end_(at_ + bytes.size()) {}

    bool done() const { return at_ == end_; }

    // At most ten bytes, and the tenth may only hold the 64th bit.
    bool varint(uint64_t& value) {
        value = 0;
        for (int i = 0; i < 10; ++i) {
            if (at_ == end_) return false;
            const unsigned char byte = *at_++;
            if (i == 9 && byte > 1) return false;
            value |= uint64_t(byte & 0x7f) << (7 * i);
            if (!(byte & 0x80)) return true;
        }
        return false;
    }

    bool fixed(int bytes, uint64_t& value) {
        if (end_ - at_ < bytes) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i) value |= uint64_t(at_[i]) << (8 * i);
        at_ += bytes;
        return true;
    }

    bool skip(uint32_t wire) {
        uint64_t ignored;
        switch (wire) {
        case kVarint: return varint(ignored);
        case kFixed64: return fixed(8, ignored);
        case kFixed32: return fixed(4, ignored);
        case kLengthDelimited:
            if (!varint(ignored) || ignored > static_cast<uint64_t>(end_ - at_)) return false;
            at_ += ignored;
            return true;
        default: return false;  // groups (3, 4) and the unused wire types
        }
    }

private:
    const unsigned char* at_;
    const unsigned char* end_;
};

float floatOf(uint64_t bits) {
    const auto narrow = static_cast<uint32_t>(bits);
    float v;
    std::memcpy(&v, &narrow, 4);
    return v;
}

double doubleOf(uint64_t bits) {
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

// The wire type each known field must have; 0xff for unknown numbers.
uint32_t expectedWire(uint64_t number) {
    switch (number) {
    case 1: case 2: case 3: case 7: case 8: case 9: case 10: return kVarint;
    case 4: case 5: case 6: return kFixed32;
    case 11: case 12: case 13: case 14: case 15: case 16: return kFixed64;
    default: return 0xff;
    }
}

}  // namespace

bool VehicleFrameMessage::decode(std::string_view message, VehicleFrame& frame) {
    frame = VehicleFrame{};
    Fields fields(message);
    while (!fields.done()) {
        uint64_t tag;
        if (!fields.varint(tag)) return false;
        const uint64_t number = tag >> 3;
        const auto wire = static_cast<uint32_t>(tag & 7);
        if (number == 0 || number > 0x1fffffff) return false;
        const uint32_t expected = expectedWire(number);
        if (expected == 0xff) {
            if (!fields.skip(wire)) return false;
            continue;
        }
        if (wire != expected) return false;
        uint64_t v;
        const bool read = wire == kVarint ? fields.varint(v) : fields.fixed(wire == kFixed32 ? 4 : 8, v);
        if (!read) return false;
        switch (number) {
        case 1: frame.version = static_cast<uint32_t>(v); break;
        case 2: frame.gear = static_cast<int32_t>(v); break;
        case 3: frame.frameNumber = v; break;
        case 4: frame.speedMs = floatOf(v); break;
        case 5: frame.acceleratorPct = floatOf(v); break;
        case 6: frame.steeringDeg = floatOf(v); break;
        case 7: frame.indicatorLeft = v != 0; break;
        case 8: frame.indicatorRight = v != 0; break;
        case 9: frame.brake = v != 0; break;
        case 10: frame.assist = static_cast<int32_t>(v); break;
        case 11: frame.latitude = doubleOf(v); break;
        case 12: frame.longitude = doubleOf(v); break;
        case 13: frame.headingDeg = doubleOf(v); break;
        case 14: frame.accelX = doubleOf(v); break;
        case 15: frame.accelY = doubleOf(v); break;
        case 16: frame.accelZ = doubleOf(v); break;
        }
    }
    return true;
}
