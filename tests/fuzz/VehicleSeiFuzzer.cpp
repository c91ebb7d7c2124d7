// The car's per-frame message reader on arbitrary video samples: the fuzz
// bytes are one sample, given to the scan in growing starts as the reader
// does (the first byte picks the first start's length), each start in a
// buffer of its own size so that a read past it is a fault. The scan never
// asks for more than the sample, each ask grows, and a message it finds is
// decoded. A fault aborts.
#include "telemetry/VehicleFrameMessage.h"
#include "telemetry/VehicleSeiSample.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* sample = reinterpret_cast<const char*>(data) + 1;
    const size_t sampleSize = size - 1;
    size_t n = std::min<size_t>(sampleSize, data[0]);
    std::string message;
    for (;;) {
        const std::unique_ptr<char[]> start(new char[n + 1]);
        std::copy(sample, sample + n, start.get());
        size_t needed = 0;
        const VehicleSeiSample::Scan scan = VehicleSeiSample::scan({start.get(), n}, sampleSize, message, needed);
        if (scan != VehicleSeiSample::Scan::NeedMore) {
            if (scan == VehicleSeiSample::Scan::Message) {
                if (message.size() > sampleSize) std::abort();
                VehicleFrame frame;
                VehicleFrameMessage::decode(message, frame);
            }
            return 0;
        }
        if (needed <= n || needed > sampleSize) std::abort();
        n = needed;
    }
}
