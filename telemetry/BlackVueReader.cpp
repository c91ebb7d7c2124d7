#include "telemetry/BlackVueReader.h"

#include "telemetry/BlackVueData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>

namespace {

// The box is among the first top-level ones and has a handful of children;
// looking further only costs time on a hostile file.
constexpr int kMaxFreeBoxes = 4;
constexpr size_t kMaxChildren = 64;

struct Sources {
    bool found = false;
    IsoBox gps, gSensor, start;
    bool hasGps = false, hasGSensor = false, hasStart = false;
};

Sources findBox(const IsoFile& file) {
    Sources s;
    int seen = 0;
    for (const IsoBox& top : file.topLevel()) {
        if (top.type != fourcc("free")) continue;
        if (++seen > kMaxFreeBoxes) break;
        for (const IsoBox& child : file.children(top, 0, kMaxChildren)) {
            if (child.type == fourcc("gps ") && !s.hasGps) s.gps = child, s.hasGps = true;
            if (child.type == fourcc("3gf ") && !s.hasGSensor) s.gSensor = child, s.hasGSensor = true;
            if (child.type == fourcc("sttm") && !s.hasStart) s.start = child, s.hasStart = true;
        }
        if (s.hasGps || s.hasGSensor) {
            s.found = true;
            return s;
        }
        s = Sources();
    }
    return s;
}

// The clip's path without its extension.
std::string stemOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(0, dot) : path;
}

// A regular file beside the clip, `stem.ext` or `stem.EXT`; at most `limit`
// bytes (more: cut). A FIFO or device never blocks: opened non-blocking and
// left unread.
bool readSidecar(const std::string& stem, const char* lower, const char* upper, size_t limit, std::string& out,
                 bool& cut) {
    for (const char* ext : {lower, upper}) {
        const int fd = ::open((stem + ext).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            continue;
        }
        cut = static_cast<uint64_t>(st.st_size) > limit;
        out.resize(cut ? limit : static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = ::read(fd, out.data() + done, out.size() - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        out.resize(done);
        ::close(fd);
        return true;
    }
    return false;
}

// A sidecar worth reading: NMEA lines stamped with their time.
bool sidecarsLookRight(const std::string& path) {
    if (path.empty()) return false;
    const std::string stem = stemOf(path);
    std::string head;
    bool cut = false;
    if (readSidecar(stem, ".gps", ".GPS", 64, head, cut)) {
        size_t i = head.find_first_not_of(" \r\n");
        if (i != std::string::npos && head[i] == '[' && i + 1 < head.size() && head[i + 1] >= '0' && head[i + 1] <= '9')
            return true;
    }
    return readSidecar(stem, ".3gf", ".3GF", 64, head, cut) && head.size() >= 10;
}

uint64_t be(const unsigned char* p, int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// A child's payload, at most the limit; notes a child cut to its parent or to the limit.
std::string childPayload(const IsoFile& file, const IsoBox& box, const char* name, ClipTelemetry& out) {
    unsigned char head[16];
    if (file.read(box.offset, box.headerSize, head)) {
        const uint64_t declared = box.headerSize == 16 ? be(head + 8, 8) : be(head, 4);
        if (declared > box.size) out.drop(std::string("the ") + name + " box reaches past its parent: cut to it");
    }
    std::string data;
    const uint64_t size = box.payloadSize();
    if (size > BlackVueReader::kMaxSidecarBytes)
        out.drop(std::string("the ") + name + " box is larger than " +
                 std::to_string(BlackVueReader::kMaxSidecarBytes) + " bytes: the rest is left out");
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, BlackVueReader::kMaxSidecarBytes));
    if (!file.read(box.payloadOffset(), n, data)) data.clear();
    return data;
}

}  // namespace

bool BlackVueReader::probe(const IsoFile& file) const {
    return findBox(file).found || sidecarsLookRight(file.path());
}

void BlackVueReader::read(const IsoFile& file, ClipTelemetry& out) const {
    out.clear();
    out.format = TelemetryFormat::BlackVue;
    BlackVueData data;
    const Sources box = findBox(file);
    if (box.found) {
        if (box.hasStart) {
            const std::string start = childPayload(file, box.start, "sttm", out);
            if (start.size() >= 8)
                data.setCameraStart(static_cast<int64_t>(be(reinterpret_cast<const unsigned char*>(start.data()), 8)));
        }
        if (box.hasGps) data.addGpsText(childPayload(file, box.gps, "gps", out));
        if (box.hasGSensor) data.addGSensor(childPayload(file, box.gSensor, "3gf", out));
    } else if (!file.path().empty()) {
        const std::string stem = stemOf(file.path());
        std::string bytes;
        bool cut = false;
        if (readSidecar(stem, ".gps", ".GPS", kMaxSidecarBytes, bytes, cut)) data.addGpsText(bytes);
        if (cut)
            out.drop("the .gps file is larger than " + std::to_string(kMaxSidecarBytes) +
                     " bytes: the rest is left out");
        cut = false;
        if (readSidecar(stem, ".3gf", ".3GF", kMaxSidecarBytes, bytes, cut)) data.addGSensor(bytes);
        if (cut)
            out.drop("the .3gf file is larger than " + std::to_string(kMaxSidecarBytes) +
                     " bytes: the rest is left out");
    }
    data.finish(out);
}
