// The GpmfReader on arbitrary samples of a gpmd track: never a crash, a hang
// or unsound samples (see TrackReaderFuzzing.h).
#include "support/TrackReaderFuzzing.h"

#include "telemetry/GpmfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing_support::fuzzTrackReader(data, size, "meta", "gpmd", GpmfReader());
    return 0;
}
