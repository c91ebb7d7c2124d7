#include "support/TelemetryClips.h"

namespace testing_support {
// being written
}  // namespace testing_support
