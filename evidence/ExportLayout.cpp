#include "evidence/ExportLayout.h"

#include "cameras/ClipPartners.h"
#include "telemetry/IsoFile.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

std::vector<std::vector<ExportLayout::Camera>> ExportLayout::momentsOf(const std::vector<std::string>& clips,
                                                                       const std::vector<std::string>& pool) {
    std::vector<partners::ClipStamp> stamps;
    std::unordered_map<std::string, size_t> index;  // a playlist may hold thousands of rows
    const auto stampOf = [&](const std::string& path) {
        if (const auto found = index.find(path); found != index.end()) return found->second;
        index.emplace(path, stamps.size());
        // The name's time pairs clips; the file's time stands in where a name has none.
        struct stat st {};
        stamps.push_back({path, ::stat(path.c_str(), &st) == 0 ? static_cast<double>(st.st_mtim.tv_sec) : 0.0});
        return stamps.size() - 1;
    };
    for (const std::string& path : pool)
        if (!path.empty()) stampOf(path);
    std::vector<size_t> own;
    for (const std::string& clip : clips) own.push_back(stampOf(clip));
    const std::vector<std::vector<size_t>> moments = partners::matchMoments(stamps);
    std::vector<std::vector<Camera>> out(clips.size());
    for (size_t i = 0; i < clips.size(); ++i) {
        for (const std::vector<size_t>& moment : moments) {
            if (std::find(moment.begin(), moment.end(), own[i]) == moment.end()) continue;
            for (const size_t m : moment)
                if (m != own[i]) out[i].push_back({partners::channelOf(stamps[m].path).channel, stamps[m].path});
        }
    }
    return out;
}

ExportLayout::Plan ExportLayout::plan(const cameras::GridCamera& main,
                                      const std::vector<std::vector<Readable>>& moments,
                                      const std::vector<StretchSegment>& segments, cameras::CameraLayout layout,
                                      cameras::CameraChannel large) {
    Plan plan;
    plan.inputs = {main};
    plan.blanks.resize(1);
    std::vector<cameras::CameraChannel> channels;
    for (const std::vector<Readable>& moment : moments)
        for (const Readable& r : moment)
            if (std::find(channels.begin(), channels.end(), r.camera.channel) == channels.end() &&
                (cameras::layoutForMany(layout) != cameras::CameraLayout::Single || r.camera.channel == large))
                channels.push_back(r.camera.channel);
    for (const cameras::CameraChannel channel : channels) {
        std::vector<const Readable*> clip(segments.size(), nullptr);
        const Readable* longest = nullptr;
        for (size_t m = 0; m < segments.size() && m < moments.size(); ++m)
            for (const Readable& r : moments[m])
                if (r.camera.channel == channel) {
                    clip[m] = &r;
                    if (longest == nullptr || r.seconds > longest->seconds) longest = &r;
                }
        bool standsIn = longest != nullptr;
        for (size_t m = 0; standsIn && m < segments.size(); ++m)
            standsIn = clip[m] != nullptr || longest->seconds >= segments[m].outSeconds;
        if (!standsIn) continue;
        cameras::GridCamera input{channel, 0, 0, 0};
        pictureSize(longest->camera.path, input.width, input.height);
        const size_t k = plan.inputs.size();
        plan.inputs.push_back(input);
        plan.blanks.emplace_back();
        for (size_t m = 0; m < segments.size(); ++m) {
            const StretchSegment& s = segments[m];
            plan.uses.push_back({m, k, (clip[m] != nullptr ? clip[m] : longest)->camera.path, clip[m] == nullptr});
            if (clip[m] == nullptr)
                plan.blanks[k].emplace_back(s.outputSeconds, s.outputSeconds + s.outSeconds - s.inSeconds);
        }
    }
    return plan;
}

bool ExportLayout::pictureSize(const std::string& path, long long& width, long long& height) {
    IsoFile file;
    std::string why;
    if (!file.open(path, why)) return false;
    for (const IsoTrack& track : file.tracks()) {
        if (track.handlerType != fourcc("vide")) continue;
        // stsd: version, flags and count, then the visual sample entry: its
        // width and height 32 bytes into it.
        IsoBox stsd;
        unsigned char size[4];
        if (!file.findChild(track.stbl, fourcc("stsd"), stsd) || stsd.payloadSize() < 8 + 36 ||
            !file.read(stsd.payloadOffset() + 8 + 32, sizeof size, size))
            return false;
        width = (size[0] << 8) | size[1];
        height = (size[2] << 8) | size[3];
        return width > 0 && height > 0;
    }
    return false;
}

std::string ExportLayout::graph(const std::vector<cameras::GridCamera>& inputs,
                                const std::vector<std::vector<std::pair<double, double>>>& blanks,
                                cameras::CameraLayout layout, cameras::CameraChannel large, bool mirrorRear,
                                const std::string& trimmed, const std::string& burned, bool labels) {
    // The engine's track ids: input k is "vid<k+1>".
    cameras::GridTracks tracks;
    std::vector<std::string> chains(inputs.size());
    for (size_t k = 0; k < inputs.size(); ++k) {
        const std::string id = std::to_string(k + 1);
        std::string& graph = chains[k];
        graph = "[" + std::to_string(k) + ":v:0]" + trimmed;
        if (k < blanks.size() && !blanks[k].empty()) {
            std::string when;
            for (const auto& [from, to] : blanks[k]) {
                char span[80];
                std::snprintf(span, sizeof span, "%sgte(t,%.3f)*lt(t,%.3f)", when.empty() ? "" : "+", from, to);
                when += span;
            }
            graph += ",drawbox=c=black:t=fill:enable='" + when + "'";
            // Drawn on the camera's own picture, so it scales with its tile.
            if (labels)
                graph += ",drawtext=text='" + std::string(cameras::spokenName(inputs[k].channel)) +
                         " missing':fontcolor=white:fontsize='max(8,min(h/8,w/14))':x=(w-text_w)/2:y=(h-text_h)/2"
                         ":enable='" +
                         when + "'";
        }
        graph += "[vid" + id + "];";
        tracks.cameras.push_back(inputs[k]);
        tracks.cameras.back().video = static_cast<long long>(k + 1);
    }
    cameras::GridStyle style;
    style.mirrorRear = mirrorRear;
    style.labels = labels;
    const std::string grid = cameras::gridGraph(tracks, layout, large, style);
    static constexpr std::string_view kOutput = "[vo]";
    if (grid.size() < kOutput.size() || grid.compare(grid.size() - kOutput.size(), kOutput.size(), kOutput) != 0)
        return {};
    // Only the inputs the picture shows: a label left unconnected fails the whole graph.
    std::string used;
    for (size_t k = 0; k < inputs.size(); ++k)
        if (grid.find("[vid" + std::to_string(k + 1) + "]") != std::string::npos) used += chains[k];
    return used + grid.substr(0, grid.size() - kOutput.size()) + burned + "[picture]";
}
