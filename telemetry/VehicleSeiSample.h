#pragma once
// Finds the car's message in one H.264 video sample: the sample's NAL units
// (each behind a 4-byte big-endian length) are walked up to the first slice;
// the first SEI unit whose first message is user data (payload type 5) that
// starts with a run of 0x42 and one 0x69 holds it. The SEI unit's
// emulation-prevention bytes are removed before it is read, and only within
// that unit. The scan works on the sample's first bytes: where it needs more
// than it was given, it says how many.
//
// Verdicts: a NAL length up to the first slice that runs past the sample
// makes the sample bad (the walk goes on to the slice after the message); an
// SEI unit of the car's whose sizes do not fit it (the message's size, the
// messages after it, the trailing byte) or that ends in an
// emulation-prevention byte is damaged; SEI units of others are passed over.
//
// Pure; any thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class VehicleSeiSample {
public:
    enum class Scan { Message, NoMessage, Damaged, BadSample, NeedMore };

    // An SEI unit longer than this is no message of the car's: damaged.
    static constexpr size_t kMaxSeiBytes = 64 * 1024;
    // NAL units looked at before the first slice, at most.
    static constexpr int kMaxUnits = 64;

    // start: the first bytes of a sample of sampleSize bytes. Message: the
    // message's bytes are in `message` (overwritten whatever the verdict). NeedMore: `needed` (at most
    // sampleSize) bytes of the sample's start are needed.
    static Scan scan(std::string_view start, uint64_t sampleSize, std::string& message, size_t& needed);

    // One SEI NAL unit, its header byte included: Message, NoMessage (not
    // the car's) or Damaged. `message` is overwritten whatever the verdict.
    static Scan unit(std::string_view nal, std::string& message);
};
