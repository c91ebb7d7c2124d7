// The search for Novatek blocks in a clip without its index, for
// novatek_scan.sh:
//   NovatekScanRun --make CLIP [MB]   writes a clip of about MB megabytes
//                                     (120 by default): a freeGPS block after
//                                     each second of made-up video (1 MiB),
//                                     all in one mdat, and a moov without the
//                                     block index
//   NovatekScanRun CLIP               reads the clip as the player does and
//                                     prints its format and fixes
//   NovatekScanRun --time CLIP [N]    in-process, best of N (5): reading the
//                                     file once against reading its blocks
#include "telemetry/NovatekReader.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

void be32(std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void le32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void f32(std::string& s, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    le32(s, bits);
}

// A classic block: 48.1 N, 11.5 E, heading north at 50 km/h.
std::string block(int second) {
    std::string b;
    be32(b, 0x8000);
    b += "freeGPS ";
    le32(b, 0x4C);
    b.resize(0x30, '\0');
    for (uint32_t v : {10u, uint32_t(second / 60), uint32_t(second % 60), 26u, 12u, 7u}) le32(b, v);
    b += "ANE";
    b.push_back('\0');
    for (float v : {4806.0f + static_cast<float>(second) * 0.0135f, 1130.0f, 27.0f, 0.0f}) f32(b, v);
    b.resize(0x8000, '\0');
    return b;
}

int make(const char* path, int megabytes) {
    constexpr size_t kSecond = 1 << 20;
    const int seconds = std::max(1, megabytes);
    FILE* f = std::fopen(path, "wb");
    if (!f) return std::perror(path), 1;
    std::string head;
    be32(head, 16);
    head += "ftypisom";
    be32(head, 0);
    const uint64_t mdatSize = 8 + uint64_t(seconds) * (kSecond + 0x8000);
    be32(head, static_cast<uint32_t>(mdatSize));
    head += "mdat";
    std::fwrite(head.data(), 1, head.size(), f);
    std::vector<uint64_t> video(kSecond / 8);
    uint64_t x = 0x9E3779B97F4A7C15ull;
    for (int s = 0; s < seconds; ++s) {
        for (uint64_t& v : video) {  // xorshift: bytes like compressed video
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            v = x;
        }
        std::fwrite(video.data(), 1, kSecond, f);
        const std::string b = block(s);
        std::fwrite(b.data(), 1, b.size(), f);
    }
    std::string moov, mvhd;
    be32(mvhd, 8 + 100);
    mvhd += "mvhd";
    mvhd.resize(108, '\0');
    be32(moov, 8 + static_cast<uint32_t>(mvhd.size()));
    moov += "moov" + mvhd;
    std::fwrite(moov.data(), 1, moov.size(), f);
    return std::fclose(f) == 0 ? 0 : 1;
}

bool readClip(const char* path, ClipTelemetry& out) {
    IsoFile file;
    std::string reason;
    if (!file.open(path, reason)) {
        std::fprintf(stderr, "%s: %s\n", path, reason.c_str());
        return false;
    }
    const NovatekReader reader;
    if (reader.probe(file)) reader.read(file, out);
    return true;
}

// What `cat` does: the whole file through a 128 KiB buffer.
uint64_t readOnce(const char* path) {
    static char buffer[128 * 1024];
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    uint64_t total = 0;
    for (ssize_t got; fd >= 0 && (got = ::read(fd, buffer, sizeof buffer)) > 0;) total += static_cast<uint64_t>(got);
    if (fd >= 0) ::close(fd);
    return total;
}

double secondsOf(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--make") == 0) return make(argv[2], argc > 3 ? std::atoi(argv[3]) : 120);
    if (argc >= 3 && std::strcmp(argv[1], "--time") == 0) {
        const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
        double once = 1e9, scan = 1e9;
        size_t fixes = 0;
        readOnce(argv[2]);  // warm
        for (int r = 0; r < rounds; ++r) {
            auto start = Clock::now();
            readOnce(argv[2]);
            once = std::min(once, secondsOf(start));
            start = Clock::now();
            ClipTelemetry clip;
            if (!readClip(argv[2], clip)) return 1;
            scan = std::min(scan, secondsOf(start));
            fixes = clip.fixes();
        }
        std::printf("in-process, best of %d: read once %.4f s, block search %.4f s (%zu fixes), ratio %.3f\n", rounds,
                    once, scan, fixes, scan / once);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: NovatekScanRun [--make CLIP [MB] | --time CLIP [ROUNDS] | CLIP]\n");
        return 2;
    }
    ClipTelemetry clip;
    if (!readClip(argv[1], clip)) return 1;
    std::printf("%s: %zu samples, %zu fixes\n", std::string(telemetryFormatName(clip.format)).c_str(),
                clip.samples.size(), clip.fixes());
    return 0;
}
