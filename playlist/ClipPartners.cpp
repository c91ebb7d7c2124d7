#include "playlist/ClipPartners.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace partners {

namespace {

Channel channelLetter(char letter) {
    switch (letter) {
        case 'F': case 'f': return Channel::Front;
        case 'R': case 'r': return Channel::Rear;
        case 'I': case 'i': return Channel::Interior;
        default: return Channel::None;
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The order a clip takes its partner in: the front first, then the rear.
int rank(Channel c) { return c == Channel::Front ? 0 : c == Channel::Rear ? 1 : 2; }

}  // namespace

ChannelName channelOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    const std::string_view stem = dot == std::string_view::npos ? name : name.substr(0, dot);
    if (stem.size() < 2) return {};
    const Channel channel = channelLetter(stem.back());
    if (channel == Channel::None) return {};
    const char before = stem[stem.size() - 2];
    const bool afterLetter = isLetter(before) && stem.size() >= 3 && stem[stem.size() - 3] == '_';
    if (before != '_' && before != '-' && !isDigit(before) && !afterLetter) return {};
    // Names keep their own folder: front and rear folders of a camera differ.
    std::string key(path.substr(0, path.size() - name.size()));
    key += stem.substr(0, stem.size() - 1);
    key += '\x01';
    for (const char c : name.substr(stem.size())) key.push_back(isLetter(c) ? static_cast<char>(c | 0x20) : c);
    return {channel, key};
}

std::vector<std::optional<size_t>> matchPartners(const std::vector<ClipStamp>& clips) {
    std::vector<std::optional<size_t>> partner(clips.size());
    std::map<std::string, std::vector<size_t>> groups;
    std::vector<Channel> channels(clips.size(), Channel::None);
    for (size_t i = 0; i < clips.size(); ++i) {
        ChannelName c = channelOf(clips[i].path);
        if (c.channel == Channel::None) continue;
        channels[i] = c.channel;
        groups[c.key].push_back(i);
    }
    for (auto& [key, members] : groups) {
        std::stable_sort(members.begin(), members.end(),
                         [&](size_t a, size_t b) { return rank(channels[a]) < rank(channels[b]); });
        for (const size_t a : members) {
            if (partner[a]) continue;
            std::optional<size_t> best;
            double bestGap = 0;
            for (const size_t b : members) {
                if (b == a || partner[b] || rank(channels[b]) <= rank(channels[a])) continue;
                const double gap = std::fabs(clips[a].startSeconds - clips[b].startSeconds);
                if (!(gap <= kMaxStartGap)) continue;  // also a time that is not a number
                // The rear before the interior, then the nearest start.
                const bool better = !best || rank(channels[b]) < rank(channels[*best]) ||
                                    (rank(channels[b]) == rank(channels[*best]) && gap < bestGap);
                if (better) {
                    best = b;
                    bestGap = gap;
                }
            }
            if (best) {
                partner[a] = *best;
                partner[*best] = a;
            }
        }
    }
    return partner;
}

std::vector<size_t> sameChannel(const std::vector<std::string>& paths, std::string_view path) {
    const Channel channel = channelOf(path).channel;
    std::vector<size_t> indexes;
    for (size_t i = 0; i < paths.size(); ++i)
        if (channelOf(paths[i]).channel == channel) indexes.push_back(i);
    return indexes;
}

}  // namespace partners
