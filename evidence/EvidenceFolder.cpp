#include "evidence/EvidenceFolder.h"

#include <sys/stat.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

bool EvidenceFolder::create(const std::string& base, const std::string& kind, std::time_t now, std::string& path,
                            std::string& reason) {
    std::error_code error;
    std::filesystem::create_directories(base, error);
    if (error) {
        reason = "cannot make the folder " + base + ": " + error.message();
        return false;
    }
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    const std::string folder = base + (base.empty() || base.back() == '/' ? "" : "/") + stamp + " " + kind;
    for (int n = 1; n < 1000; ++n) {
        const std::string candidate = n == 1 ? folder : folder + " (" + std::to_string(n) + ")";
        // mkdir fails on anything that exists, a link included: nothing is overwritten.
        if (::mkdir(candidate.c_str(), 0755) == 0) {
            path = candidate + "/";
            return true;
        }
        if (errno != EEXIST) {
            reason = "cannot make the folder " + candidate + ": " + std::strerror(errno);
            return false;
        }
    }
    reason = "too many exports of the same second in " + base;
    return false;
}

void EvidenceFolder::remove(const std::string& path) {
    if (path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);  // links are removed, never followed
}
