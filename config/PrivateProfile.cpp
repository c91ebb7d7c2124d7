#include "config/PrivateProfile.h"

#include "platform/FileSystem.h"

#include <SimpleIni.h>
#include <mutex>
#include <vector>

namespace {

std::mutex& writeMutex() {
    static std::mutex m;
    return m;
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// "[name]" (blanks allowed around it) gives name; anything else nothing.
std::optional<std::string_view> sectionName(std::string_view line) {
    const std::string_view t = trimmed(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimmed(t.substr(1, close - 1));
}

std::optional<std::string_view> keyName(std::string_view line) {
    const std::string_view t = trimmed(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trimmed(t.substr(0, eq));
}

struct Line {
    std::string_view text;  // without its line end
    std::string_view end;   // "\n", "\r\n" or empty for a last line without one
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        const auto nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({text.substr(pos), {}});
            break;
        }
        const bool cr = nl > pos && text[nl - 1] == '\r';
        lines.push_back({text.substr(pos, nl - pos - (cr ? 1 : 0)), text.substr(nl - (cr ? 1 : 0), cr ? 2 : 1)});
        pos = nl + 1;
    }
    return lines;
}

}  // namespace

std::optional<std::string> PrivateProfile::read(const std::string& path, std::string_view section,
                                                 std::string_view key) {
    std::string contents;
    if (!platform::readFile(path, contents)) return std::nullopt;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    ini.SetQuotes(true);
    if (ini.LoadData(contents.data(), contents.size()) < 0) return std::nullopt;
    const char* value = ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
    if (!value) return std::nullopt;
    return std::string(value);
}

std::string PrivateProfile::withKey(std::string_view text, std::string_view section, std::string_view key,
                                    std::string_view value) {
    // The reader lets the last of several equal keys win; the writer changes
    // that same line so that a read after a write sees the new value.
    const std::vector<Line> lines = splitLines(text);
    const std::string_view newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    // A line break inside the key or value would forge further lines.
    std::string entry = std::string(key) + "=" + std::string(value);
    for (char& c : entry)
        if (c == '\r' || c == '\n') c = ' ';

    long keyLine = -1;       // last line holding the key inside the section
    long sectionEnd = -1;    // last non-blank line of the last matching section
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i].text)) {
            inSection = sameName(*name, section);
            if (inSection) sectionEnd = static_cast<long>(i);
            continue;
        }
        if (!inSection) continue;
        if (!trimmed(lines[i].text).empty()) sectionEnd = static_cast<long>(i);
        if (auto name = keyName(lines[i].text); name && sameName(*name, key)) keyLine = static_cast<long>(i);
    }

    std::string out;
    out.reserve(text.size() + entry.size() + section.size() + 8);
    auto appendLine = [&](std::string_view t, std::string_view end) {
        out.append(t);
        out.append(end);
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const long index = static_cast<long>(i);
        if (index == keyLine) {
            appendLine(entry, lines[i].end.empty() ? newline : lines[i].end);
            continue;
        }
        appendLine(lines[i].text, lines[i].end.empty() && (index == sectionEnd) ? newline : lines[i].end);
        if (keyLine < 0 && index == sectionEnd) appendLine(entry, newline);
    }
    if (sectionEnd < 0) {
        if (!out.empty() && out.back() != '\n') out.append(newline);
        out.append("[").append(section).append("]").append(newline);
        appendLine(entry, newline);
    }
    return out;
}

bool PrivateProfile::write(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view value) {
    std::lock_guard lock(writeMutex());
    std::string contents;
    if (platform::pathExists(path) && !platform::readFile(path, contents))
        return false;  // never replace a file we could not read
    return platform::replaceFileAtomically(path, withKey(contents, section, key, value));
}
