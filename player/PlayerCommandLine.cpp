#include "player/PlayerCommandLine.h"

#include <algorithm>

namespace {

bool equalsNoCase(const std::string& a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

}  // namespace

std::string PlayerCommandLine::audioValue() const {
    if (equalsNoCase(audioOutput, "dsound")) return "dsound:device=" + std::to_string(soundDevice);
    return audioOutput;
}

std::string PlayerCommandLine::text() const {
    std::string line = playerPath + " \"" + mediaFile + "\" ";
    if (videoWindow != 0) line += "-wid " + std::to_string(videoWindow) + " ";
    line += "-vo " + videoOutput + " -slave -quiet -identify -ao " + audioValue() + " -volume " +
            std::to_string(volume) + " -muteset " + (muted ? "1" : "0") + " ";
    line += extraOptions;
    if (!cameraFiles.empty()) {
        for (const std::string& camera : cameraFiles) line += " -camera \"" + camera + "\"";
        line += " -layout " + cameraLayout + " -mirror " + (mirrorPartner ? "1" : "0");
        if (!largeCamera.empty()) line += " -large " + largeCamera;
    } else if (!partnerFile.empty()) {
        line += " -partner \"" + partnerFile + "\" -layout " + cameraLayout + " -mirror " + (mirrorPartner ? "1" : "0");
    }
    return line;
}

std::vector<std::string> PlayerCommandLine::arguments() const {
    std::vector<std::string> args{playerPath, mediaFile};
    if (videoWindow != 0) args.insert(args.end(), {"-wid", std::to_string(videoWindow)});
    args.insert(args.end(), {"-vo", videoOutput, "-slave", "-quiet", "-identify", "-ao", audioValue(), "-volume",
                             std::to_string(volume), "-muteset", muted ? "1" : "0"});
    size_t i = 0;
    while (i < extraOptions.size()) {
        const size_t start = extraOptions.find_first_not_of(" \t", i);
        if (start == std::string::npos) break;
        const size_t end = std::min(extraOptions.find_first_of(" \t", start), extraOptions.size());
        args.push_back(extraOptions.substr(start, end - start));
        i = end;
    }
    if (!cameraFiles.empty()) {
        for (const std::string& camera : cameraFiles) args.insert(args.end(), {"-camera", camera});
        args.insert(args.end(), {"-layout", cameraLayout, "-mirror", mirrorPartner ? "1" : "0"});
        if (!largeCamera.empty()) args.insert(args.end(), {"-large", largeCamera});
    } else if (!partnerFile.empty()) {
        args.insert(args.end(), {"-partner", partnerFile, "-layout", cameraLayout, "-mirror", mirrorPartner ? "1" : "0"});
    }
    return args;
}
