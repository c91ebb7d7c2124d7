// The CammReader on arbitrary samples of a camm track: never a crash, a hang
// or unsound samples (see TrackReaderFuzzing.h).
#include "support/TrackReaderFuzzing.h"

#include "telemetry/CammReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing_support::fuzzTrackReader(data, size, "meta", "camm", CammReader());
    return 0;
}
