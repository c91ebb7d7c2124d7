#include "repair/RepairReference.h"

#include "cameras/ClipPartners.h"
#include "platform/FileSystem.h"
#include "repair/CutClip.h"
#include "repair/RepairProfile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace repairReference {

namespace {

constexpr size_t kMaxCandidates = 64;  // headers opened at most, nearest first

std::string lowerExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

bool isRepairedCopy(const std::string& path) {
    const std::string name = platform::fileName(path);
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && name.substr(0, dot).size() >= 9 &&
           name.compare(dot - 9, 9, ".repaired") == 0;
}

std::string choose(const std::string& cutClip, std::string& reason) {
    const std::string folder = platform::parentFolder(cutClip);
    const std::string self = platform::fileName(cutClip);
    const std::string ext = lowerExtension(self);
    const partners::Channel channel = partners::channelOf(self).channel;
    const double when = platform::modificationSeconds(cutClip);
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(folder, entries)) {
        reason = "its folder cannot be listed";
        return {};
    }
    struct Candidate {
        double distance;
        std::string name;
    };
    std::vector<Candidate> candidates;
    for (const platform::DirectoryEntry& e : entries) {
        if (e.isDirectory || e.name == self || lowerExtension(e.name) != ext || isRepairedCopy(e.name) ||
            partners::channelOf(e.name).channel != channel)
            continue;
        const double t = platform::modificationSeconds(folder + e.name);
        if (std::isnan(t)) continue;
        candidates.push_back({std::isnan(when) ? 0.0 : std::fabs(t - when), e.name});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.name < b.name;
    });
    if (candidates.size() > kMaxCandidates) candidates.resize(kMaxCandidates);
    for (const Candidate& c : candidates) {
        IsoFile file;
        std::string why;
        RepairProfile profile;
        if (file.open(folder + c.name, why) && CutClip::of(file).state == CutClip::State::HasIndex &&
            profile.learn(file, why))
            return folder + c.name;
    }
    reason = "no healthy clip of the same camera in its folder to use as the reference";
    return {};
}

}  // namespace repairReference
