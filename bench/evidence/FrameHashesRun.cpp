// Writes frames.md5 of one stretch of a clip into a folder, as an export
// does:  FrameHashesRun CLIP IN_SECONDS OUT_SECONDS FOLDER
#include "evidence/FrameHashes.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: FrameHashesRun CLIP IN_SECONDS OUT_SECONDS FOLDER\n");
        return 2;
    }
    const int folder = ::open(argv[4], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        std::perror(argv[4]);
        return 1;
    }
    std::string sha256, reason;
    const bool written =
        FrameHashes::write(folder, {{argv[1], std::atof(argv[2]), std::atof(argv[3])}}, sha256, reason);
    ::close(folder);
    if (!written) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    return 0;
}
