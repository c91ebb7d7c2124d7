#include "evidence/CustodyLog.h"

#include "config/ProgramVersion.h"
#include "platform/Sha256.h"
#include "trackfile/TrackTextEscape.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr std::string_view kLineField = ",\"line\":\"";
constexpr size_t kHexLength = 64;
constexpr size_t kMaxLogBytes = 64u << 20;  // a log beyond this is not ours

std::string utcNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm tm{};
    ::gmtime_r(&now.tv_sec, &tm);
    char text[40];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    std::snprintf(text + n, sizeof text - n, ".%03ldZ", now.tv_nsec / 1000000);
    return text;
}

std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr)
        return found->pw_name;
    return "uid " + std::to_string(::geteuid());
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

// The program's version and the FFmpeg and libmpv it loads: asked once.
const std::vector<std::string>& versionLines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> out;
        const std::string text = programVersionText("Veltara DVR Player");
        size_t from = 0;
        for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
            out.push_back(text.substr(from, end - from));
        out.resize(3);
        return out;
    }();
    return lines;
}

std::string files(const std::vector<CustodyFile>& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i)
        out += std::string(i > 0 ? "," : "") + "{\"name\":" + jsonString(list[i].name) +
               ",\"sha256\":" + jsonString(list[i].sha256) + "}";
    return out + "]";
}

std::string stretches(const std::vector<CustodyStretch>& list) {
    std::string out = "[";
    char seconds[80];
    for (size_t i = 0; i < list.size(); ++i) {
        std::snprintf(seconds, sizeof seconds, ",\"in\":%.6f,\"out\":%.6f}", list[i].inSeconds, list[i].outSeconds);
        out += std::string(i > 0 ? "," : "") + "{\"clip\":" + jsonString(list[i].clip) + seconds;
    }
    return out + "]";
}

// A JSON string at text[at] (its opening quote), unescaped; false when it is none.
bool readJsonString(std::string_view text, size_t& at, std::string& value) {
    if (at >= text.size() || text[at] != '"') return false;
    value.clear();
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++at >= text.size()) return false;
        switch (text[at]) {
        case 'n': value += '\n'; break;
        case 't': value += '\t'; break;
        case 'r': value += '\r'; break;
        case 'b': value += '\b'; break;
        case 'f': value += '\f'; break;
        case 'u': {
            if (at + 4 >= text.size()) return false;
            unsigned code = 0;
            for (size_t k = 1; k <= 4; ++k) {
                const char h = text[at + k];
                const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                  : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
                if (digit < 0) return false;
                code = code * 16 + static_cast<unsigned>(digit);
            }
            at += 4;
            // Names are written as UTF-8 apart from control characters, so the
            // escapes met here are below U+0800.
            if (code < 0x80) {
                value += static_cast<char>(code);
            } else if (code < 0x800) {
                value += static_cast<char>(0xC0 | (code >> 6));
                value += static_cast<char>(0x80 | (code & 0x3F));
            } else {
                return false;
            }
            break;
        }
        default: value += text[at]; break;  // \" \\ \/
        }
    }
    return false;
}

// A number at text[at]; false when none.
bool readNumber(std::string_view text, size_t& at, double& value) {
    const std::string digits(text.substr(at, std::min<size_t>(32, text.size() - at)));
    char* end = nullptr;
    value = std::strtod(digits.c_str(), &end);
    if (end == digits.c_str() || !std::isfinite(value)) return false;
    at += static_cast<size_t>(end - digits.c_str());
    return true;
}

bool expect(std::string_view text, size_t& at, std::string_view what) {
    if (text.substr(at, what.size()) != what) return false;
    at += what.size();
    return true;
}

std::string hashOf(std::string_view bytes) {
    Sha256 sum;
    sum.update(bytes);
    return sum.hex();
}

bool isHex(std::string_view text) {
    if (text.size() != kHexLength) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// The value of "prev" of a line, and the part its "line" hash covers; false
// when the line does not end as the log writes it.
bool splitLine(std::string_view line, std::string_view& prev, std::string_view& covered, std::string_view& own) {
    // ... ,"prev":"<64>","line":"<64>"}
    constexpr std::string_view kPrevField = ",\"prev\":\"";
    const size_t tail = kPrevField.size() + kHexLength + 1 + kLineField.size() + kHexLength + 2;
    if (line.size() < tail + 1 || line.front() != '{' || line.substr(line.size() - 2) != "\"}") return false;
    const size_t at = line.size() - tail;
    if (line.substr(at, kPrevField.size()) != kPrevField) return false;
    prev = line.substr(at + kPrevField.size(), kHexLength);
    const size_t lineAt = at + kPrevField.size() + kHexLength + 1;
    if (line[lineAt - 1] != '"' || line.substr(lineAt, kLineField.size()) != kLineField) return false;
    covered = line.substr(0, lineAt);
    own = line.substr(lineAt + kLineField.size(), kHexLength);
    return isHex(prev) && isHex(own);
}

}  // namespace

std::string CustodyLog::line(const CustodyEntry& entry, std::string_view prev, std::string_view time) {
    const std::vector<std::string>& versions = versionLines();
    std::string out = "{\"action\":" + jsonString(entry.action) + ",\"time\":" + jsonString(time) +
                      ",\"user\":" + jsonString(userName()) + ",\"host\":" + jsonString(hostName());
    out += ",\"versions\":{\"program\":" + jsonString(versions[0]) + ",\"ffmpeg\":" + jsonString(versions[1]) +
           ",\"libmpv\":" + jsonString(versions[2]) +
           ",\"libx264\":" + jsonString(entry.libx264.empty() ? "not used" : entry.libx264) + "}";
    out += ",\"settings\":" + jsonString(entry.settings) + ",\"inputs\":" + files(entry.inputs) +
           ",\"outputs\":" + files(entry.outputs) + ",\"result\":" + jsonString(entry.result);
    if (!entry.frames.empty()) out += ",\"frames\":" + stretches(entry.frames);
    out += ",\"prev\":" + jsonString(prev);
    return out + std::string(kLineField) + hashOf(out) + "\"}";
}

bool CustodyLog::read(int dirFd, std::string& text, std::string& reason) {
    text.clear();
    const int fd = ::openat(dirFd, kName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = errno == ENOENT ? "not present" : std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > kMaxLogBytes) {
        ::close(fd);
        reason = "is not a regular file of a custody log's size";
        return false;
    }
    char block[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, block, sizeof block)) > 0 && text.size() <= kMaxLogBytes)
        text.append(block, static_cast<size_t>(n));
    ::close(fd);
    if (n < 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool CustodyLog::append(int dirFd, const CustodyEntry& entry, std::string& reason) {
    std::string text, why;
    if (!read(dirFd, text, why) && why != "not present") {
        reason = std::string(kName) + " " + why;
        return false;
    }
    // The chain goes on from the last line as it stands, whole or not.
    std::string prev(kFirstPrev);
    const std::vector<std::string_view> lines = linesOf(text);
    if (!lines.empty()) prev = hashOf(lines.back());
    std::string out = line(entry, prev, utcNow()) + "\n";
    // A log cut off in a line gets its line ended first, so the new line stays whole.
    if (!text.empty() && text.back() != '\n') out.insert(out.begin(), '\n');
    const int fd = ::openat(dirFd, kName, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = std::string("cannot write ") + kName + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool closed = ::close(fd) == 0;
    if (done != out.size() || !closed) {
        reason = std::string("cannot write ") + kName + " (is the disk full?)";
        return false;
    }
    return true;
}

VerifyChecks CustodyLog::checkChain(int dirFd) {
    std::string text, why;
    if (!read(dirFd, text, why)) return {{kName, false, why}};
    const std::vector<std::string_view> lines = linesOf(text);
    if (lines.empty()) return {{kName, false, "empty"}};
    VerifyChecks checks;
    std::string expected(kFirstPrev);
    bool whole = true;
    bool edited = false;  // the line after an edited one is judged by its own hash alone
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string subject = std::string(kName) + " line " + std::to_string(i + 1);
        std::string_view prev, covered, own;
        if (!splitLine(lines[i], prev, covered, own)) {
            checks.push_back({subject, false, "is not a line of a custody log (edited?)"});
            whole = false;
        } else if (hashOf(covered) != own) {
            checks.push_back({subject, false, "was edited: its own hash no longer holds"});
            whole = false;
        } else if (prev != expected && !edited) {
            checks.push_back({subject, false,
                              i == 0
                                  ? "is not the first line (a line before it was removed?)"
                                  : "does not follow line " + std::to_string(i) + " (a line removed or reordered?)"});
            whole = false;
        }
        edited = !splitLine(lines[i], prev, covered, own) || hashOf(covered) != own;
        expected = hashOf(lines[i]);
    }
    if (whole) checks.push_back({kName, true, std::to_string(lines.size()) + " lines, chained"});
    return checks;
}

std::string CustodyLog::recordedOutput(int dirFd, std::string_view action, std::string_view name) {
    std::string text, why;
    if (!read(dirFd, text, why)) return {};
    const std::string head = "{\"action\":" + jsonString(action) + ",";
    const std::string file = "{\"name\":" + jsonString(name) + ",\"sha256\":\"";
    std::string found;
    for (const std::string_view line : linesOf(text)) {
        if (line.substr(0, head.size()) != head) continue;
        // Names are escaped, so a file's opening cannot be forged inside another name.
        const size_t outputs = line.find(",\"outputs\":[");
        const size_t at = outputs == std::string_view::npos ? outputs : line.find(file, outputs);
        if (at != std::string_view::npos && line.size() >= at + file.size() + kHexLength)
            found = std::string(line.substr(at + file.size(), kHexLength));
    }
    return found;
}

std::vector<CustodyStretch> CustodyLog::recordedStretches(int dirFd) {
    std::string text, why;
    if (!read(dirFd, text, why)) return {};
    constexpr std::string_view kField = ",\"frames\":[";
    std::vector<CustodyStretch> found;
    for (const std::string_view line : linesOf(text)) {
        size_t at = line.rfind(kField);
        if (at == std::string_view::npos) continue;
        at += kField.size();
        std::vector<CustodyStretch> list;
        bool whole = false;
        while (at < line.size()) {
            CustodyStretch stretch;
            if (!expect(line, at, "{\"clip\":") || !readJsonString(line, at, stretch.clip) ||
                !expect(line, at, ",\"in\":") || !readNumber(line, at, stretch.inSeconds) ||
                !expect(line, at, ",\"out\":") || !readNumber(line, at, stretch.outSeconds) || !expect(line, at, "}"))
                break;
            list.push_back(stretch);
            if (expect(line, at, "]")) {
                whole = true;
                break;
            }
            if (!expect(line, at, ",")) break;
        }
        if (whole) found = std::move(list);
    }
    return found;
}

std::vector<std::string> CustodyLog::summaries(int dirFd) {
    std::string text, why;
    if (!read(dirFd, text, why)) return {};
    const auto field = [](std::string_view line, std::string_view name) {
        const std::string key = "\"" + std::string(name) + "\":";
        size_t at = line.find(key);
        std::string value;
        if (at == std::string_view::npos) return value;
        at += key.size();
        if (!readJsonString(line, at, value)) value.clear();
        return value;
    };
    std::vector<std::string> list;
    for (const std::string_view line : linesOf(text)) {
        std::string_view prev, covered, own;
        const bool whole = splitLine(line, prev, covered, own);
        list.push_back(field(line, "time") + "  " + field(line, "action") + "  " + field(line, "result") +
                       "  (line " + (whole ? std::string(own.substr(0, 16)) : std::string("not whole")) + ")");
    }
    return list;
}
