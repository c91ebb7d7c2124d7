#include "veltara-track/ExportCommand.h"

#include "evidence/EvidenceExport.h"
#include "evidence/FolderFile.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "track/SubtitleExtractor.h"
#include "trackfile/TrackTextEscape.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <thread>

namespace {

// "YYYY-MM-DDThh:mm:ss" as seconds since 1970 (UTC).
bool parseClock(const std::string& text, double& seconds) {
    std::tm tm{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second, &tail) !=
            6 ||
        month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    seconds = static_cast<double>(::timegm(&tm));
    return true;
}

// "CLIP@SECONDS": the clip by its path as given or by its name.
bool parseClipMoment(const std::string& text, const std::vector<std::string>& clips, size_t& clip, double& seconds,
                     std::string& reason) {
    const size_t at = text.rfind('@');
    if (at == std::string::npos) return false;
    const std::string name = text.substr(0, at);
    const std::string moment = text.substr(at + 1);
    char* end = nullptr;
    seconds = std::strtod(moment.c_str(), &end);
    if (moment.empty() || end == nullptr || *end != '\0' || !(seconds >= 0.0)) {
        reason = "bad moment \"" + moment + "\" in --from (seconds into the clip)";
        return true;
    }
    for (size_t i = 0; i < clips.size(); ++i) {
        if (clips[i] == name || platform::fileName(clips[i]) == name) {
            clip = i;
            return true;
        }
    }
    reason = name + ": not one of the clips given";
    return true;
}

// A path as the user meant it: relative to the working directory. The export
// runs FFmpeg in a folder of its own, where a relative path means another place.
std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// The folders of `path` that do not exist yet, deepest first: what a failed
// export has to take away again.
std::vector<std::filesystem::path> missingFolders(const std::string& path) {
    std::vector<std::filesystem::path> missing;
    std::error_code error;
    for (std::filesystem::path p = std::filesystem::path(path).lexically_normal();
         !p.empty() && p != p.root_path() && !std::filesystem::exists(p, error) && !error; p = p.parent_path()) {
        if (p.filename().empty()) continue;  // a trailing slash
        missing.push_back(p);
    }
    return missing;
}

// Only what the export made, and only while empty: nothing of the user's goes.
void removeMadeFolders(const std::vector<std::filesystem::path>& made) {
    std::error_code error;
    for (const std::filesystem::path& folder : made) {
        if (!std::filesystem::is_directory(folder, error) || !std::filesystem::is_empty(folder, error)) return;
        std::filesystem::remove(folder, error);
    }
}

// The signing key's password: the first line of the file given, else the
// environment's; never an argument, which every user of the machine can read.
bool keyPassword(const TrackToolOptions& options, std::string& password, std::string& reason) {
    if (options.keyPasswordFile.empty()) {
        const char* value = std::getenv("VELTARA_KEY_PASSWORD");
        password = value != nullptr ? value : "";
        return true;
    }
    if (!FolderFile::readPath(options.keyPasswordFile, password, reason, 4096)) return false;
    password.resize(std::min(password.find('\n'), password.size()));
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return true;
}

}  // namespace

int runExportCommand(const TrackToolOptions& options, const std::vector<std::string>& clips,
                     const EventSettings& events, const std::atomic<int>& interrupted) {
    EvidenceRequest request;
    for (const std::string& clip : clips) request.clips.push_back(absolutePath(clip));
    request.originals = options.originals;
    request.frameHashes = options.originals;
    request.journey = request.clips;  // every channel given: the journey's other cameras are among them
    request.command = options.commandLine;
    request.lengthSeconds = options.exportSeconds;
    request.overlay = options.overlay;
    request.exportsFolder = options.exportOut.empty() ? options.exportOut : absolutePath(options.exportOut);
    const std::vector<std::filesystem::path> madeFolders = missingFolders(request.exportsFolder);
    request.ffmpeg = SubtitleExtractor::standardConverterPath();
    request.reportProgram = platform::programFolder() + "Report/veltara-report";
    request.events = events;
    request.utcOffsetSeconds = options.utcOffsetSeconds;
    if (options.utcOffsetGiven) request.zone = DisplayZone::fixed(options.utcOffsetSeconds);
    request.caseReference = options.caseReference;
    request.vehicle = options.vehicle;
    request.note = options.note;
    request.program = "veltara-track";
    std::string reason;
    if (!options.signKey.empty()) {
        request.signKey = absolutePath(options.signKey);
        request.signCert = absolutePath(options.signCert);
        if (!keyPassword(options, request.signPassword, reason)) {
            std::fprintf(stderr, "veltara-track: %s\n", printableText(reason).c_str());
            return 1;
        }
    }
    request.timestampRequest = options.timestampRequest;
    request.layout = options.layout;
    request.largeCamera = options.largeCamera;
    request.mirrorRear = options.mirrorRear;
    double clock = 0.0;
    if (parseClock(options.exportFrom, clock)) {
        request.startClock = clock + options.utcOffsetSeconds;
    } else if (!parseClipMoment(options.exportFrom, clips, request.startClip, request.startSeconds, reason)) {
        reason = "bad --from \"" + options.exportFrom + "\" (CLIP@SECONDS or YYYY-MM-DDThh:mm:ss)";
    }
    if (!reason.empty()) {
        std::fprintf(stderr, "veltara-track: %s\n", printableText(reason).c_str());
        return 1;
    }
    EvidenceExport job;
    std::string folder;
    bool done = false;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        done = job.run(request, folder, reason);
        finished.store(true);
    });
    while (!finished.load()) {
        if (interrupted.load() != 0) job.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    worker.join();
    if (!done) {
        removeMadeFolders(madeFolders);
        std::fprintf(stderr, "veltara-track: the export failed: %s\n", printableText(reason).c_str());
        return 1;
    }
    if (options.print0)
        std::fwrite(folder.c_str(), 1, folder.size() + 1, stdout);  // with its NUL
    else
        std::printf("%s\n", printableText(folder).c_str());
    return 0;
}
