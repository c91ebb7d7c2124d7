#include "track/SubtitleExtractorCommand.h"

const char* const kClipFormats = "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,avi,mpegts,flv,asf";

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::string converterCommandLine(std::string_view converter, std::string_view input, std::string_view extraArguments,
                                 std::string_view output) {
    std::string line;
    line.reserve(converter.size() + input.size() + extraArguments.size() + output.size() + 16);
    line += '"';
    line += converter;
    line += "\" -i \"";
    line += input;
    line += "\" ";
    if (!extraArguments.empty()) {
        line += extraArguments;
        line += ' ';
    }
    line += output;
    return line;
}

std::vector<std::string> splitExtraArguments(std::string_view extraArguments) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false, quoted = false;
    for (const char c : extraArguments) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (isBlank(c) && !quoted) {
            if (inArgument) arguments.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) arguments.push_back(current);
    return arguments;
}

std::vector<std::string> converterArguments(const std::string& converter, const std::string& input,
                                            std::string_view extraArguments, const std::string& output) {
    // The input is one local media file: no network protocol, and no
    // playlist, HLS or concat format that would open other files.
    std::vector<std::string> arguments{converter,           "-protocol_whitelist", "file",
                                       "-format_whitelist", kClipFormats,          "-i"};
    // The converter reads "-", "name:rest" and "subfile,..." as protocols;
    // with the prefix a relative name is always just a file.
    arguments.push_back(!input.empty() && input.front() == '/' ? input : "file:" + input);
    for (auto& a : splitExtraArguments(extraArguments)) arguments.push_back(std::move(a));
    arguments.push_back(output);
    return arguments;
}
