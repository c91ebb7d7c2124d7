// Entry point of Veltara DVR Player.
#include "Version.h"

#include <cstdio>

int main() {
    std::printf("%s %s: the main window is not part of this build yet.\n", VELTARA_PRODUCT_NAME, VELTARA_VERSION);
    return 0;
}
