#pragma once
// The picture as shown of a car's moment, for an export: every camera of
// each clip's moment, found among the clips the export was given by the
// camera table's names and times (partners::matchMoments), composed with the
// engine's own graph (cameras/GridGraph) in the layout shown. FFmpeg reads
// the main clips' concat list as input 0 and one list per other camera after
// it; the graph relabels them as the engine's tracks, so there is one
// composition for the screen and the export.
//
// Threads: any; pure apart from reading the clips' names, times and picture
// sizes.
#include "cameras/CameraChannel.h"
#include "cameras/CameraLayout.h"
#include "cameras/GridGraph.h"
#include "evidence/StretchSegment.h"

#include <string>
#include <utility>
#include <vector>

class ExportLayout {
public:
    struct Camera {
        cameras::CameraChannel channel = cameras::CameraChannel::None;
        std::string path;
    };

    // For each clip, the other cameras of its moment among pool (the clip's
    // own channel left out), one per channel; none for a name the table does
    // not know. Paths are compared as given.
    static std::vector<std::vector<Camera>> momentsOf(const std::vector<std::string>& clips,
                                                      const std::vector<std::string>& pool);

    // A clip of another camera that can be read, and its length.
    struct Readable {
        Camera camera;
        double seconds = 0.0;
    };
    // Where the cameras' clips go: inputs[0] is the main clips' list, then
    // one list per other camera, in the order first met. Each use puts a
    // clip in a segment's place of an input's list. A moment that lacks a
    // camera keeps its place in that list, or the camera's later minutes
    // would be out of time: the camera's longest clip stands in there (its
    // encoder's stream, which a black clip made by FFmpeg would not match in
    // the list's one decoder), hidden under black over blanks[input]. A
    // camera with no clip long enough to stand in is left out: its tile
    // stays black throughout.
    struct Plan {
        struct Use {
            size_t segment = 0;
            size_t input = 0;
            std::string path;
            bool standIn = false;
        };
        std::vector<cameras::GridCamera> inputs;
        std::vector<Use> uses;
        std::vector<std::vector<std::pair<double, double>>> blanks;
    };
    // moments[m]: the readable other cameras of segments[m]'s clip. Only the
    // cameras the layout shows are taken (one alone: the large one). Reads
    // each camera's picture size.
    static Plan plan(const cameras::GridCamera& main, const std::vector<std::vector<Readable>>& moments,
                     const std::vector<StretchSegment>& segments, cameras::CameraLayout layout,
                     cameras::CameraChannel large);

    // The picture size of the file's first video track (its sample entry);
    // false when it cannot be read.
    static bool pictureSize(const std::string& path, long long& width, long long& height);

    // FFmpeg's filter graph: inputs[0] is the main clips' list (input 0),
    // inputs[k] the list of input k; each is put through `trimmed` first and
    // then hidden under black over its blanks (seconds of the video, from
    // and to), and the composed picture through `burned` (empty or starting
    // with ',') into "[picture]". With labels, a hidden or left-out
    // camera's black says which camera is missing, as the player's tile
    // does (FFmpeg fails without a font: then the caller asks again
    // without). Empty when the main clip's size is unknown.
    static std::string graph(const std::vector<cameras::GridCamera>& inputs,
                             const std::vector<std::vector<std::pair<double, double>>>& blanks,
                             cameras::CameraLayout layout, cameras::CameraChannel large, bool mirrorRear,
                             const std::string& trimmed, const std::string& burned, bool labels = true);
};
