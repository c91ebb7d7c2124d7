#include "cameras/ClipPartners.h"

#include "cameras/CameraNaming.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace partners {

namespace {

// The order a clip takes its partner in: the front first, then the rear,
// then the interior; the side cameras take none.
int rank(Channel c) {
    switch (c) {
        case Channel::Front: return 0;
        case Channel::Rear: return 1;
        case Channel::Interior: return 2;
        default: return 3;
    }
}

struct Named {
    size_t index;
    Channel channel;
    double start;
};

}  // namespace

ChannelName channelOf(std::string_view path) {
    cameras::ClipName name = cameras::CameraNaming::parse(path);
    return {name.channel, std::move(name.camera)};
}

std::vector<std::vector<size_t>> matchMoments(const std::vector<ClipStamp>& clips) {
    std::map<std::string, std::vector<Named>> cameras;
    for (size_t i = 0; i < clips.size(); ++i) {
        cameras::ClipName name = cameras::CameraNaming::parse(clips[i].path);
        if (name.channel == Channel::None) continue;
        const double start = name.startSeconds ? static_cast<double>(*name.startSeconds) : clips[i].startSeconds;
        if (!std::isfinite(start)) continue;  // a time that is no number never pairs
        cameras[name.camera].push_back({i, name.channel, start});
    }
    std::vector<std::vector<size_t>> moments;
    for (auto& [camera, named] : cameras) {
        std::stable_sort(named.begin(), named.end(), [](const Named& a, const Named& b) { return a.start < b.start; });
        // A moment is anchored at its first clip; a later clip joins the
        // nearest open moment that lacks its channel, else starts one.
        struct Open {
            double anchor;
            std::vector<const Named*> members;
        };
        std::vector<Open> open;
        for (const Named& clip : named) {
            Open* best = nullptr;
            for (Open& m : open) {
                if (clip.start - m.anchor > kMaxStartGap) continue;
                const bool taken = std::any_of(m.members.begin(), m.members.end(),
                                               [&](const Named* o) { return o->channel == clip.channel; });
                if (!taken && (!best || clip.start - m.anchor < clip.start - best->anchor)) best = &m;
            }
            if (best)
                best->members.push_back(&clip);
            else
                open.push_back({clip.start, {&clip}});
        }
        for (const Open& m : open) {
            moments.emplace_back();
            for (const Named* clip : m.members) moments.back().push_back(clip->index);
        }
    }
    std::sort(moments.begin(), moments.end());
    return moments;
}

std::vector<std::optional<size_t>> matchPartners(const std::vector<ClipStamp>& clips) {
    std::vector<std::optional<size_t>> partner(clips.size());
    std::vector<Channel> channels(clips.size(), Channel::None);
    for (size_t i = 0; i < clips.size(); ++i) channels[i] = channelOf(clips[i].path).channel;
    for (std::vector<size_t>& moment : matchMoments(clips)) {
        std::stable_sort(moment.begin(), moment.end(),
                         [&](size_t a, size_t b) { return rank(channels[a]) < rank(channels[b]); });
        // One of each channel: the first takes the next, if both may pair.
        if (moment.size() >= 2 && rank(channels[moment[0]]) < 3 && rank(channels[moment[1]]) < 3) {
            partner[moment[0]] = moment[1];
            partner[moment[1]] = moment[0];
        }
    }
    return partner;
}

std::vector<size_t> sameChannel(const std::vector<std::string>& paths, std::string_view path) {
    const cameras::ClipName camera = cameras::CameraNaming::parse(path);
    std::vector<size_t> indexes;
    for (size_t i = 0; i < paths.size(); ++i)
        if (cameras::CameraNaming::parse(paths[i]).sameStream(camera)) indexes.push_back(i);
    return indexes;
}

}  // namespace partners
