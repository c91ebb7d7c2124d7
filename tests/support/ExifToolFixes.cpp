// Runs ExifTool on a clip and collects the fixes it reports, one group
// (Doc1, Doc2, ...) a sample.
#include "support/TelemetryClips.h"
#include "support/TinyJson.h"

#include "platform/ChildProcess.h"

#include <unistd.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

namespace testing_support {

namespace {

std::string exifToolPath() {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= folders.size();) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string candidate = folders.substr(start, end - start) + "/exiftool";
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

double numberOf(const TinyJson& v) {
    if (v.kind == TinyJson::Kind::Number) return v.number;
    if (v.kind == TinyJson::Kind::String) return std::strtod(v.text.c_str(), nullptr);
    return NAN;
}

// "2026:12:07 10:00:00.200Z" as ms since 1970; 0 when unreadable.
int64_t utcMsOf(const std::string& text) {
    std::tm t{};
    double seconds = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d %d:%d:%lf", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &seconds) != 6)
        return 0;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_sec = 0;
    return static_cast<int64_t>(timegm(&t)) * 1000 + std::llround(seconds * 1000.0);
}

struct DocTags {
    double latitude = NAN, longitude = NAN, speed = NAN;
    int64_t utcMs = 0;
};

}  // namespace

bool exifToolAvailable() {
    return !exifToolPath().empty();
}

bool exifToolFixes(const std::string& path, std::vector<ExifToolFix>& fixes, std::string& error) {
    fixes.clear();
    const std::string exifTool = exifToolPath();
    if (exifTool.empty()) {
        error = "exiftool not found";
        return false;
    }
    // env sets TZ for the child alone, without a shell.
    const std::vector<std::string> args{"/usr/bin/env", "TZ=UTC",        exifTool,    "-j",           "-ee",
                                        "-a",           "-G3",           "-n",        "-api",         "QuickTimeUTC=1",
                                        "-GPSLatitude", "-GPSLongitude", "-GPSSpeed", "-GPSDateTime", path};
    platform::ChildProcess child;
    platform::ChildProcess::Options options;
    options.inheritStderr = true;
    if (int rc = child.start(args, options)) {
        error = "exiftool did not start: errno " + std::to_string(rc);
        return false;
    }
    child.closeStdin();
    std::string output;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(child.stdoutFd(), buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    const auto code = child.waitFor(std::chrono::minutes(2));
    if (!code || *code != 0) {
        error = "exiftool failed on " + path;
        return false;
    }
    TinyJson json;
    if (!TinyJson::parse(output, json) || json.kind != TinyJson::Kind::Array || json.items.empty() ||
        json.items[0].kind != TinyJson::Kind::Object) {
        error = "unreadable exiftool output: " + output.substr(0, 200);
        return false;
    }
    // JSON holds one value per key: of a group with several fixes (a GPMF
    // sample) only the last remains.
    std::map<int, DocTags> docs;
    for (const auto& [key, value] : json.items[0].members) {
        int doc = 0;
        char tag[64] = "";
        if (std::sscanf(key.c_str(), "Doc%d:%63s", &doc, tag) != 2) continue;
        const std::string name = tag;
        DocTags& d = docs[doc];
        if (name == "GPSLatitude") d.latitude = numberOf(value);
        if (name == "GPSLongitude") d.longitude = numberOf(value);
        if (name == "GPSSpeed") d.speed = numberOf(value);
        if (name == "GPSDateTime") d.utcMs = utcMsOf(value.text);
    }
    for (const auto& [doc, d] : docs)
        if (!std::isnan(d.latitude) && !std::isnan(d.longitude))
            fixes.push_back({d.latitude, d.longitude, d.speed, d.utcMs});
    return true;
}

}  // namespace testing_support
