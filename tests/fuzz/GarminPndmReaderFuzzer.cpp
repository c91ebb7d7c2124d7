// The GarminPndmReader on arbitrary samples of a text track: never a crash, a hang
// or unsound samples (see TrackReaderFuzzing.h).
#include "support/TrackReaderFuzzing.h"

#include "telemetry/GarminPndmReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing_support::fuzzTrackReader(data, size, "text", "text", GarminPndmReader());
    return 0;
}
