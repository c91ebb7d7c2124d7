// The reader of Novatek freeGPS blocks, through the index or the search, on arbitrary bytes held in
// memory: never a crash or a hang, samples in clip order, every fix a place
// on earth, every number finite, and a reason whenever a probed clip gives
// no sample.
#include "support/TelemetryFuzzChecks.h"
#include "telemetry/NovatekReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing_support::fuzzBoxReader(data, size, NovatekReader());
    return 0;
}
