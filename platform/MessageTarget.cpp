#include "platform/MessageTarget.h"

namespace platform {
MessageTarget::~MessageTarget() = default;
}  // namespace platform
