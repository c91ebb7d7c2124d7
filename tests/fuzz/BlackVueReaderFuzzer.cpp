// The reader of BlackVue's free box, on arbitrary bytes held in
// memory: never a crash or a hang, samples in clip order, every fix a place
// on earth, every number finite, and a reason whenever a probed clip gives
// no sample.
#include "support/TelemetryFuzzChecks.h"
#include "telemetry/BlackVueReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    testing_support::fuzzBoxReader(data, size, BlackVueReader());
    return 0;
}
