#include "evidence/EvidenceVerifier.h"

#include "evidence/CustodyLog.h"
#include "platform/Sha256.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

namespace {

constexpr const char* kSums = "SHA256SUMS";
constexpr size_t kMaxSumsBytes = 16u << 20;
constexpr int kMaxDepth = 8;

struct Listed {
    std::string name;  // as listed: relative to the folder, or an absolute path
    std::string sha256;
};

// A line as sha256sum writes it; false for anything else.
bool parseLine(std::string_view line, Listed& out) {
    bool escaped = false;
    if (!line.empty() && line.front() == '\\') {
        escaped = true;
        line.remove_prefix(1);
    }
    if (line.size() < 67 || line[64] != ' ' || (line[65] != ' ' && line[65] != '*')) return false;
    out.sha256 = std::string(line.substr(0, 64));
    for (char& c : out.sha256) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    if (!std::all_of(out.sha256.begin(), out.sha256.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }))
        return false;
    out.name.clear();
    const std::string_view name = line.substr(66);
    for (size_t i = 0; i < name.size(); ++i) {
        if (escaped && name[i] == '\\' && i + 1 < name.size()) {
            out.name += name[i + 1] == 'n' ? '\n' : name[i + 1];
            ++i;
        } else {
            out.name += name[i];
        }
    }
    return !out.name.empty();
}

bool readSmall(int dirFd, const char* name, std::string& text, std::string& why) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > kMaxSumsBytes) {
        why = fd < 0 && errno == ENOENT ? "not present" : "cannot be read as a list of checksums";
        if (fd >= 0) ::close(fd);
        return false;
    }
    char block[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, block, sizeof block)) > 0 && text.size() <= kMaxSumsBytes)
        text.append(block, static_cast<size_t>(n));
    ::close(fd);
    return n == 0;
}

// The folder of a relative name, opened level by level without following a
// link; -1 when a level is missing or not a folder. leaf: the last part.
int openParent(int dirFd, const std::string& relative, std::string& leaf) {
    int at = ::dup(dirFd);
    size_t from = 0;
    for (size_t slash; (slash = relative.find('/', from)) != std::string::npos; from = slash + 1) {
        const std::string part = relative.substr(from, slash - from);
        const int next = part.empty() || part == "." || part == ".."
                             ? -1
                             : ::openat(at, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(at);
        if (next < 0) return -1;
        at = next;
    }
    leaf = relative.substr(from);
    return at;
}

enum class Found { Same, Differs, Missing, Unreadable };

Found hashRelative(int dirFd, const std::string& relative, const std::string& expected, std::string& hex,
                   std::string& why) {
    std::string leaf;
    const int parent = openParent(dirFd, relative, leaf);
    if (parent < 0 || leaf == "." || leaf == "..") {
        if (parent >= 0) ::close(parent);
        return Found::Missing;
    }
    struct stat st;
    const bool present = ::fstatat(parent, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    const bool ok = present && Sha256::ofFileAt(parent, leaf, hex, why);
    ::close(parent);
    if (!present) return Found::Missing;
    if (!ok) return Found::Unreadable;
    return hex == expected ? Found::Same : Found::Differs;
}

// Every entry below the folder that is not a folder, by relative name.
void walk(int dirFd, const std::string& prefix, int depth, std::vector<std::string>& names) {
    const int copy = ::dup(dirFd);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (dir == nullptr) {
        if (copy >= 0) ::close(copy);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode) && depth < kMaxDepth) {
            const int sub = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                walk(sub, prefix + name + "/", depth + 1, names);
                ::close(sub);
            }
            continue;
        }
        names.push_back(prefix + name);
    }
    ::closedir(dir);
}

std::string summary(const VerifyChecks& checks) {
    size_t failed = 0;
    std::string names;
    for (const VerifyCheck& c : checks) {
        if (c.holds) continue;
        ++failed;
        if (names.size() < 2000) names += (names.empty() ? "" : ", ") + c.subject;
    }
    if (failed == 0) return "all " + std::to_string(checks.size()) + " checks hold";
    return std::to_string(failed) + " of " + std::to_string(checks.size()) + " checks fail: " + names;
}

}  // namespace

const std::vector<std::string>& EvidenceVerifier::unlistedNames() {
    static const std::vector<std::string> names = {kSums, CustodyLog::kName, "SHA256SUMS.p7s", "SHA256SUMS.tsq",
                                                   "SHA256SUMS.tsr"};
    return names;
}

bool EvidenceVerifier::allHold(const VerifyChecks& checks) {
    return !checks.empty() && std::all_of(checks.begin(), checks.end(), [](const VerifyCheck& c) { return c.holds; });
}

VerifyChecks EvidenceVerifier::verify(const std::string& folder, const std::string& command) {
    VerifyChecks checks;
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return {{folder, false, std::string("cannot open the folder: ") + std::strerror(errno)}};

    std::string sums, why;
    std::vector<Listed> listed;
    if (!readSmall(dirFd, kSums, sums, why)) {
        checks.push_back({kSums, false, why});
    } else {
        size_t lineNumber = 0, from = 0;
        while (from < sums.size()) {
            size_t end = sums.find('\n', from);
            if (end == std::string::npos) end = sums.size();
            ++lineNumber;
            Listed entry;
            if (parseLine(std::string_view(sums).substr(from, end - from), entry))
                listed.push_back(entry);
            else
                checks.push_back(
                    {std::string(kSums) + " line " + std::to_string(lineNumber), false, "is not a checksum line"});
            from = end + 1;
        }
        std::string hex;
        Sha256::ofFileAt(dirFd, kSums, hex, why);
        const std::string recorded = CustodyLog::recordedOutput(dirFd, "hashed", kSums);
        if (recorded.empty())
            checks.push_back({kSums, false, "the custody log records no hash of it"});
        else if (recorded != hex)
            checks.push_back({kSums, false, "changed: its SHA-256 is not the one the custody log recorded"});
        else
            checks.push_back({kSums, true, "as the custody log recorded, " + std::to_string(listed.size()) + " files"});
    }

    // The folder's own files, by name.
    std::vector<const Listed*> missing;
    std::set<std::string> names;
    std::vector<CustodyFile> seen;
    for (const Listed& entry : listed) {
        if (stop_.load()) break;
        if (entry.name.front() == '/') continue;
        names.insert(entry.name);
        std::string hex;
        switch (hashRelative(dirFd, entry.name, entry.sha256, hex, why)) {
            case Found::Same:
                checks.push_back({entry.name, true, "unchanged"});
                break;
            case Found::Differs:
                checks.push_back({entry.name, false, "changed: its SHA-256 is not the one SHA256SUMS lists"});
                break;
            case Found::Missing:
                missing.push_back(&entry);
                break;
            case Found::Unreadable:
                checks.push_back({entry.name, false, "cannot be read (" + why + ")"});
                break;
        }
        if (!hex.empty()) seen.push_back({entry.name, hex});
    }
    // What is there and not listed: added, or a listed file under another name.
    std::vector<std::string> present;
    walk(dirFd, "", 0, present);
    std::sort(present.begin(), present.end());
    const std::vector<std::string>& unlisted = unlistedNames();
    for (const std::string& name : present) {
        if (stop_.load()) break;
        if (names.count(name) != 0 || std::find(unlisted.begin(), unlisted.end(), name) != unlisted.end()) continue;
        std::string hex;
        const Found found = hashRelative(dirFd, name, "", hex, why);
        const auto renamed = std::find_if(missing.begin(), missing.end(), [&](const Listed* m) {
            return found != Found::Unreadable && m->sha256 == hex;
        });
        if (renamed != missing.end()) {
            checks.push_back({(*renamed)->name, false, "renamed to " + name});
            missing.erase(renamed);
        } else {
            checks.push_back({name, false, "added: not listed in SHA256SUMS"});
        }
    }
    for (const Listed* m : missing) checks.push_back({m->name, false, "removed: listed in SHA256SUMS but not present"});

    // The source clips, where they still are.
    for (const Listed& entry : listed) {
        if (stop_.load()) break;
        if (entry.name.front() != '/') continue;
        struct stat st;
        if (::stat(entry.name.c_str(), &st) != 0) {
            checks.push_back({entry.name, true, "source not present at its path (not checked)"});
            continue;
        }
        std::string hex;
        if (!Sha256::ofFile(entry.name, hex, why, &stop_))
            checks.push_back({entry.name, false, "source cannot be read (" + why + ")"});
        else if (hex != entry.sha256)
            checks.push_back({entry.name, false, "source changed since the export"});
        else
            checks.push_back({entry.name, true, "source unchanged"});
    }

    const VerifyChecks chain = CustodyLog::checkChain(dirFd);
    checks.insert(checks.end(), chain.begin(), chain.end());
    for (const Check& check : checks_) {
        if (stop_.load()) break;
        const VerifyChecks more = check(dirFd);
        checks.insert(checks.end(), more.begin(), more.end());
    }
    if (stop_.load()) checks.push_back({folder, false, "stopped before every check was made"});

    CustodyEntry entry;
    entry.action = "verified";
    entry.settings = command.empty() ? "verify " + folder : command;
    entry.inputs = seen;
    entry.result = summary(checks);
    std::string reason, log;
    // Only an evidence folder's own log grows: another folder gets no file of ours.
    if (CustodyLog::read(dirFd, log, reason) && !CustodyLog::append(dirFd, entry, reason))
        checks.push_back({CustodyLog::kName, true, "the verification was not recorded in it (" + reason + ")"});
    ::close(dirFd);
    return checks;
}
