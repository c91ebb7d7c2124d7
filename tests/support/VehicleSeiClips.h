#pragma once
// Clips of a car that records itself: an H.264 stream made by ffmpeg, the
// car's message put before each frame's first slice as an SEI unit (with
// emulation prevention), muxed into MP4 by stream copy. Frame k's message
// holds vehicleFrameAt(k); chosen frames get no message or a damaged one.
#include "telemetry/VehicleFrameMessage.h"

#include <map>
#include <string>

namespace testing_support {

enum class FrameDamage {
    None,
    Missing,        // no SEI unit at all
    WrongLength,    // the SEI payload size claims more than the unit holds
    BadVarint,      // a varint of eleven bytes
    WrongWireType,  // the speed as a varint
    EscapeAtEnd,    // the unit ends in an emulation-prevention byte
};

// The values of frame k: every field differs from frame to frame; some are
// zero (which needs emulation prevention), and proto3's zeros are left out
// of every other message.
VehicleFrame vehicleFrameAt(int k);

// The message as the car writes it; every other frame's fields in reverse
// order, and an unknown field of each wire type in between.
std::string vehicleMessage(const VehicleFrame& frame, int k);
// The SEI unit (header byte included) of a message, escaped, with a damage.
std::string vehicleSeiUnit(const std::string& message, FrameDamage damage = FrameDamage::None);

struct VehicleClipSpec {
    int frames = 72;
    int frameRate = 36;
    int width = 320, height = 240;
    std::string bitrate;                // e.g. "4500k" (empty: the encoder's choice)
    bool withData = true;               // false: a camera whose frames hold no message
    std::map<int, FrameDamage> damage;  // by frame
    std::string pictureFilter;          // e.g. "noise=alls=12:allf=t": a picture that compresses like a camera's
};

// Writes the clip; "" or what went wrong.
std::string makeVehicleClip(const std::string& path, const VehicleClipSpec& spec = {});

}  // namespace testing_support
