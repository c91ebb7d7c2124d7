#include "support/VehicleSeiClips.h"

#include "support/Bytes.h"
#include "support/CommandOutput.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace testing_support {

namespace {

void varint(std::string& s, uint64_t v) {
    do {
        const auto low = static_cast<unsigned char>(v & 0x7f);
        v >>= 7;
        s.push_back(static_cast<char>(v ? low | 0x80 : low));
    } while (v);
}

void tag(std::string& s, int number, int wire) {
    varint(s, static_cast<uint64_t>(number) << 3 | static_cast<uint64_t>(wire));
}

// H.264's SEI numbers: bytes of 255, then the rest.
void seiNumber(std::string& s, size_t v) {
    for (; v >= 255; v -= 255) s.push_back(static_cast<char>(0xff));
    s.push_back(static_cast<char>(v));
}

std::string escaped(const std::string& rbsp) {
    std::string out;
    int zeros = 0;
    for (const char c : rbsp) {
        const auto byte = static_cast<unsigned char>(c);
        if (zeros >= 2 && byte <= 3) {
            out.push_back(3);
            zeros = 0;
        }
        out.push_back(c);
        zeros = byte == 0 ? zeros + 1 : 0;
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The NAL units of an Annex B stream, without their start codes.
std::vector<std::string> nalUnits(const std::string& stream) {
    std::vector<std::string> units;
    size_t at = stream.find(std::string("\0\0\1", 3));
    while (at != std::string::npos) {
        const size_t begin = at + 3;
        size_t next = stream.find(std::string("\0\0\1", 3), begin);
        size_t end = next == std::string::npos ? stream.size() : next;
        while (end > begin && stream[end - 1] == 0) --end;  // the zero of a 4-byte start code
        units.push_back(stream.substr(begin, end - begin));
        at = next;
    }
    return units;
}

}  // namespace

VehicleFrame vehicleFrameAt(int k) {
    VehicleFrame f;
    f.version = 1;
    f.gear = k % 4;
    f.frameNumber = 5000 + static_cast<uint64_t>(k);
    f.speedMs = 12.5f + 0.25f * static_cast<float>(k);
    f.acceleratorPct = static_cast<float>((k * 7) % 100) + 0.5f;
    f.steeringDeg = -45.0f + 1.5f * static_cast<float>(k);
    f.indicatorLeft = (k / 3) % 2 == 1;
    f.indicatorRight = (k / 5) % 2 == 1;
    f.brake = k % 3 == 0;
    f.assist = (k / 2) % 4;
    f.latitude = 52.5162746 + 1e-5 * k;
    f.longitude = 13.3777041 + 2e-5 * k;
    f.headingDeg = std::fmod(87.5 + 5.0 * k, 360.0);
    f.accelX = k % 3 == 0 ? 0.0 : 0.125 * k;
    f.accelY = -0.75;
    f.accelZ = 9.80665;
    return f;
}

std::string vehicleMessage(const VehicleFrame& f, int k) {
    using namespace bytes;
    const bool zeros = k % 2 == 0;
    std::vector<std::string> fields;
    const auto add = [&](int number, int wire, const std::string& value, bool zero) {
        if (zero && !zeros) return;
        std::string field;
        tag(field, number, wire);
        fields.push_back(field + value);
    };
    const auto v = [](uint64_t x) { std::string s; varint(s, x); return s; };
    const auto f4 = [](float x) { std::string s; f32le(s, x); return s; };
    const auto f8 = [](double x) { std::string s; f64le(s, x); return s; };
    add(1, 0, v(f.version), f.version == 0);
    add(2, 0, v(static_cast<uint64_t>(f.gear)), f.gear == 0);
    add(3, 0, v(f.frameNumber), f.frameNumber == 0);
    add(4, 5, f4(f.speedMs), f.speedMs == 0.0f);
    add(5, 5, f4(f.acceleratorPct), f.acceleratorPct == 0.0f);
    add(6, 5, f4(f.steeringDeg), f.steeringDeg == 0.0f);
    add(7, 0, v(f.indicatorLeft), !f.indicatorLeft);
    add(8, 0, v(f.indicatorRight), !f.indicatorRight);
    add(9, 0, v(f.brake), !f.brake);
    add(10, 0, v(static_cast<uint64_t>(f.assist)), f.assist == 0);
    // Fields a later version may add, one of each wire type.
    add(17, 0, v(300), false);
    add(18, 1, f8(1.0), false);
    add(19, 2, v(3) + "abc", false);
    add(20, 5, f4(2.0f), false);
    add(11, 1, f8(f.latitude), f.latitude == 0.0);
    add(12, 1, f8(f.longitude), f.longitude == 0.0);
    add(13, 1, f8(f.headingDeg), f.headingDeg == 0.0);
    add(14, 1, f8(f.accelX), f.accelX == 0.0);
    add(15, 1, f8(f.accelY), f.accelY == 0.0);
    add(16, 1, f8(f.accelZ), f.accelZ == 0.0);
    std::string message;
    if (k % 2 == 1)
        for (auto it = fields.rbegin(); it != fields.rend(); ++it) message += *it;
    else
        for (const std::string& field : fields) message += field;
    return message;
}

std::string vehicleSeiUnit(const std::string& original, FrameDamage damage) {
    std::string message = original;
    if (damage == FrameDamage::BadVarint) message = std::string("\x18") + std::string(10, '\xff') + "\x01" + message;
    if (damage == FrameDamage::WrongWireType) message = std::string("\x20\x05", 2) + message;
    const std::string payload = std::string("\x42\x42\x42\x69") + message;
    std::string rbsp;
    seiNumber(rbsp, 5);
    seiNumber(rbsp, payload.size() + (damage == FrameDamage::WrongLength ? 4 : 0));
    rbsp += payload;
    rbsp.push_back(static_cast<char>(0x80));
    std::string unit = "\x06" + escaped(rbsp);
    if (damage == FrameDamage::EscapeAtEnd) unit += std::string("\0\0\3", 3);
    return unit;
}

std::string makeVehicleClip(const std::string& path, const VehicleClipSpec& spec) {
    const std::string raw = path + ".raw.h264", withData = path + ".h264";
    const std::string rate = std::to_string(spec.frameRate);
    int status = -1;
    std::vector<std::string> encode{
        "/usr/bin/ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
        "testsrc=size=" + std::to_string(spec.width) + "x" + std::to_string(spec.height) + ":rate=" + rate,
        "-frames:v", std::to_string(spec.frames), "-c:v", "libx264", "-preset", "ultrafast", "-bf", "0",
        "-x264-params", "aud=1"};
    if (!spec.pictureFilter.empty()) encode.insert(encode.end(), {"-vf", spec.pictureFilter});
    if (!spec.bitrate.empty()) encode.insert(encode.end(), {"-b:v", spec.bitrate, "-maxrate", spec.bitrate, "-bufsize", spec.bitrate});
    encode.insert(encode.end(), {"-f", "h264", raw});
    std::string out = commandOutput(encode, "/", status);
    if (status != 0) return "ffmpeg failed: " + out;

    // Each frame begins with its access unit delimiter; the message goes
    // before the frame's first slice.
    std::string stream;
    int frame = -1;
    bool placed = true;
    for (const std::string& unit : nalUnits(readFile(raw))) {
        if (unit.empty()) continue;
        const int type = unit[0] & 0x1f;
        if (type == 9) {
            ++frame;
            placed = false;
        }
        if (!placed && type >= 1 && type <= 5) {
            placed = true;
            const auto damage = spec.damage.find(frame);
            const FrameDamage kind = damage == spec.damage.end() ? FrameDamage::None : damage->second;
            if (spec.withData && kind != FrameDamage::Missing)
                stream += std::string("\0\0\0\1", 4) + vehicleSeiUnit(vehicleMessage(vehicleFrameAt(frame), frame), kind);
        }
        stream += std::string("\0\0\0\1", 4) + unit;
    }
    std::ofstream(withData, std::ios::binary) << stream;
    out = commandOutput({"/usr/bin/ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-framerate", rate, "-i",
                         withData, "-c", "copy", path},
                        "/", status);
    std::remove(raw.c_str());
    std::remove(withData.c_str());
    if (status != 0) return "ffmpeg failed: " + out;
    if (frame + 1 != spec.frames) return "the stream had " + std::to_string(frame + 1) + " frames";
    return {};
}

}  // namespace testing_support
