#pragma once
// The FFmpeg run that makes an export's video from its segments: the clips
// are joined by FFmpeg's concat demuxer (each through a link of a plain name
// in a private working folder, so no clip's name reaches a list or a filter
// argument), then either re-encoded (H.264/AAC) with the overlay script
// burned in, trimmed to the stretch to the frame, or copied as they are,
// cut at the key frames around the stretch. With the other camera of each
// moment inset (a second concat list of the partners' links, the same in and
// out points), the video is always re-encoded: the partner a quarter of the
// width in the lower right corner, as the player shows it. With the picture
// as shown of a car's moment (one list per other camera, "<n>c<k>.mp4"),
// the cameras are composed as the engine composes them (ExportLayout).
//
// Threads: run() on one worker; it polls the stop flag while FFmpeg runs
// and kills it when the flag is set.
#include "cameras/GridGraph.h"
#include "evidence/StretchSegment.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class VideoCut {
public:
    static constexpr const char* kListName = "clips.ffconcat";
    static constexpr const char* kPartnerListName = "partners.ffconcat";
    static constexpr const char* kOverlayName = "overlay.ass";

    struct Picture {
        bool overlay = true;  // the data burned in
        bool inset = false;   // the partners' list joins as the inset
        bool mirror = false;  // the inset (or a layout's rear camera) mirrored like a rear-view mirror
        // The cameras of each moment in a layout: inputs[0] the clips' list,
        // inputs[k] the list cameraListName(k).
        struct Layout {
            cameras::CameraLayout layout = cameras::CameraLayout::Grid;
            cameras::CameraChannel large = cameras::CameraChannel::None;
            std::vector<cameras::GridCamera> inputs;
            // By input: the stretches of the video (from, to) it is hidden under black.
            std::vector<std::vector<std::pair<double, double>>> blanks;
            bool labels = true;  // a missing camera's black names it (needs a font)
        };
        std::optional<Layout> layout;
        bool reencoded() const { return overlay || inset || layout; }
    };

    // The concat list of the segments, each clip by its link "<n>.mp4"
    // (the partners' by "<n>p.mp4").
    static std::string concatList(const std::vector<StretchSegment>& segments, bool partners = false);
    // A layout's list of camera k (from 1), its clips linked as "<n>c<k>.mp4".
    static std::string cameraListName(size_t k);
    static std::string cameraLinkName(size_t clip, size_t k);
    static std::string cameraList(const std::vector<StretchSegment>& segments, size_t k);
    // FFmpeg's arguments: the lists and the overlay script are read from
    // workFolder (absolute, ending in '/'), the output is written to its
    // name in the folder FFmpeg runs in.
    static std::vector<std::string> arguments(const std::string& ffmpeg, double lengthSeconds, const Picture& picture,
                                              const std::string& workFolder, const std::string& output);
    // A text as one value of a filter's option inside a filter graph.
    static std::string filterValue(const std::string& text);

    // Runs FFmpeg in the folder held open by outputFolderFd; progress gets
    // 0..1 of the stretch written.
    static bool run(const std::vector<std::string>& arguments, int outputFolderFd, double lengthSeconds,
                    const std::atomic<bool>& stop, const std::function<void(double)>& progress, std::string& reason);
};
