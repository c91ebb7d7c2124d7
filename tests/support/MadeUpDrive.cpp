#include "support/MadeUpDrive.h"

namespace testing_support {

std::vector<DriveMoment> madeUpDrive(const DriveSpec&) {
    return {};  // being written
}

}  // namespace testing_support
