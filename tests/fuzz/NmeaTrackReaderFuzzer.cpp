// The NmeaTrackReader on arbitrary samples of a text track: never a crash, a hang
// or unsound samples (see TrackReaderFuzzing.h).
#include "support/TrackReaderFuzzing.h"

#include "telemetry/NmeaTrackReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing_support::fuzzTrackReader(data, size, "text", "text", NmeaTrackReader());
    return 0;
}
