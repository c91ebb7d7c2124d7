#include "evidence/VideoCut.h"

#include "cameras/InsetGraph.h"
#include "evidence/ExportLayout.h"
#include "platform/ChildProcess.h"

#include <poll.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>

namespace {

std::string decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// The segments' list, each clip by the link name gives it.
template <typename Name>
std::string listOf(const std::vector<StretchSegment>& segments, const Name& name) {
    std::string list = "ffconcat version 1.0\n";
    for (const StretchSegment& s : segments) {
        list += "file " + name(s.clip) + "\n";
        if (s.inSeconds > 0.0) list += "inpoint " + decimal(s.inSeconds) + "\n";
        list += "outpoint " + decimal(s.outSeconds) + "\n";
    }
    return list;
}

}  // namespace

std::string VideoCut::concatList(const std::vector<StretchSegment>& segments, bool partners) {
    return listOf(segments, [&](size_t clip) { return std::to_string(clip) + (partners ? "p" : "") + ".mp4"; });
}

std::string VideoCut::cameraListName(size_t k) {
    return "camera" + std::to_string(k) + ".ffconcat";
}

std::string VideoCut::cameraLinkName(size_t clip, size_t k) {
    return std::to_string(clip) + "c" + std::to_string(k) + ".mp4";
}

std::string VideoCut::cameraList(const std::vector<StretchSegment>& segments, size_t k) {
    return listOf(segments, [&](size_t clip) { return cameraLinkName(clip, k); });
}

std::string VideoCut::filterValue(const std::string& text) {
    // Escaped for the option's parser, then again for the graph's.
    const auto escape = [](const std::string& in, std::string_view special) {
        std::string out;
        for (const char c : in) {
            if (special.find(c) != std::string_view::npos) out += '\\';
            out += c;
        }
        return out;
    };
    return escape(escape(text, "\\':"), "\\'[],;");
}

std::vector<std::string> VideoCut::arguments(const std::string& ffmpeg, double lengthSeconds, const Picture& picture,
                                             const std::string& workFolder, const std::string& output) {
    const std::string length = decimal(lengthSeconds);
    std::vector<std::string> args = {ffmpeg,      "-nostdin", "-hide_banner", "-loglevel", "error", "-nostats",
                                     "-progress", "pipe:1",   "-y",           "-f",        "concat", "-safe",
                                     "0",         "-i",       workFolder + kListName};
    if (picture.inset && !picture.layout)
        args.insert(args.end(), {"-f", "concat", "-safe", "0", "-i", workFolder + kPartnerListName});
    // The concat demuxer starts a cut clip at the key frame before its in
    // point, with negative times: trim keeps the stretch to the frame.
    const std::string trimmed = "trim=start=0:duration=" + length + ",setpts=PTS-STARTPTS";
    const std::string burned = picture.overlay ? ",subtitles=filename=" + filterValue(workFolder + kOverlayName) : "";
    if (picture.layout) {
        for (size_t k = 1; k < picture.layout->inputs.size(); ++k)
            args.insert(args.end(), {"-f", "concat", "-safe", "0", "-i", workFolder + cameraListName(k)});
        args.insert(args.end(),
                    {"-filter_complex",
                     ExportLayout::graph(picture.layout->inputs, picture.layout->blanks, picture.layout->layout,
                                         picture.layout->large, picture.mirror, trimmed, burned,
                                         picture.layout->labels),
                     "-map", "[picture]"});
    } else if (picture.inset) {
        // A partner that ends early keeps its last frame until the main clip ends.
        args.insert(args.end(),
                    {"-filter_complex",
                     "[0:v:0]" + trimmed + "[main];[1:v:0]" + trimmed + (picture.mirror ? ",hflip" : "") +
                         ",tpad=stop=-1:stop_mode=clone[rear];" + cameras::insetGraph("main", "rear") + burned +
                         "[picture]",
                     "-map", "[picture]"});
    } else {
        args.insert(args.end(), {"-map", "0:v:0"});
    }
    args.insert(args.end(), {"-map", "0:a:0?", "-sn", "-dn"});
    if (picture.reencoded()) {
        if (!picture.inset && !picture.layout) args.insert(args.end(), {"-vf", trimmed + burned});
        args.insert(args.end(), {"-af", "atrim=start=0:duration=" + length + ",asetpts=PTS-STARTPTS", "-c:v", "libx264",
                                 "-preset", "ultrafast", "-crf", "20", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a",
                                 "128k"});
    } else {
        args.insert(args.end(), {"-c", "copy"});
    }
    args.insert(args.end(), {"-t", length, "-movflags", "+faststart", output});
    return args;
}

bool VideoCut::run(const std::vector<std::string>& arguments, int outputFolderFd, double lengthSeconds,
                   const std::atomic<bool>& stop, const std::function<void(double)>& progress, std::string& reason) {
    platform::ChildProcess ffmpeg;
    platform::ChildProcess::Options options;
    options.workingDirectoryFd = outputFolderFd;
    if (const int error = ffmpeg.start(arguments, options); error != 0) {
        reason = "cannot start FFmpeg (" + arguments.front() + ")";
        return false;
    }
    ffmpeg.closeStdin();
    std::string pending, errors;
    pollfd fds[2] = {{ffmpeg.stdoutFd(), POLLIN, 0}, {ffmpeg.stderrFd(), POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        if (stop.load()) {
            ffmpeg.kill();
            reason = "cancelled";
            return false;
        }
        if (::poll(fds, 2, 100) <= 0) continue;
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char block[4096];
            const ssize_t n = ::read(fd.fd, block, sizeof block);
            if (n <= 0) {
                fd.fd = -1;
                --open;
                continue;
            }
            if (&fd == &fds[1]) {
                if (errors.size() < 4096) errors.append(block, static_cast<size_t>(n));
                continue;
            }
            pending.append(block, static_cast<size_t>(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                const std::string line = pending.substr(0, end);
                static constexpr std::string_view kKey = "out_time_us=";
                if (line.compare(0, kKey.size(), kKey) != 0 || !progress || lengthSeconds <= 0.0) continue;
                const double us = std::strtod(line.c_str() + kKey.size(), nullptr);
                progress(std::clamp(us / 1e6 / lengthSeconds, 0.0, 1.0));
            }
        }
    }
    const std::optional<int> code = ffmpeg.waitFor(std::chrono::seconds(10));
    if (!code || *code != 0) {
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
        reason = "FFmpeg failed" + (errors.empty() ? std::string() : ": " + errors);
        return false;
    }
    return true;
}
