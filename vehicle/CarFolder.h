#pragma once
// The camera folder a car keeps on its USB drive: TeslaCam/ with
// RecentClips/ (rolling one-minute clips), SavedClips/<time>/ and
// SentryClips/<time>/ (the clips around one saved or parked event, with its
// event.json). Knows the tree by its folder names (letter case ignored, as
// copies to other file systems change it) and lists its moments. Only the
// tree's fixed levels are looked into: no loop of links is followed and a
// folder of anything else costs one listing.
//
// Pure apart from listing folders; any thread.
#include "vehicle/CarMoment.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CarFolder {
public:
    static constexpr size_t kMaxClips = 200'000;  // a drive holds some thousands; a crafted one stops here

    // True for TeslaCam/, its three folders and one event folder (folders end in "/" or not).
    static bool isCarFolder(std::string_view folder);
    // The group of a clip by its folders; none for a clip outside the tree.
    static std::optional<CarFolderGroup> groupOf(std::string_view clipPath);
    // The event folder of a saved or sentry clip ("" for others), ending in "/".
    static std::string eventFolderOf(std::string_view clipPath);
    // The moments of the car's clips in and below folder, by group, then start.
    static std::vector<CarMoment> list(const std::string& folder);
    // "Recent", "Saved", "Sentry".
    static std::string_view groupName(CarFolderGroup group);
};
