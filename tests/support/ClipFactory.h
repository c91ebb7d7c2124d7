#pragma once
// Makes camera-like test clips with the system's ffmpeg: a tiny test-pattern
// video, a sine tone, and the track as a mov_text subtitle stream whose
// handler name is the camera's ("Ambarella EXT"), one cue per track text.
#include <string>
#include <vector>

namespace testing_support {

// A further subtitle stream of a clip.
struct ExtraSubtitle {
    std::string handlerName;
    std::vector<std::string> trackTexts;
};

struct ClipSpec {
    std::vector<std::string> trackTexts;  // one cue each, in order
    double cueSeconds = 0.1;              // length of each cue
    double cueGapSeconds = 0.0;           // silence after each cue (the muxer fills it with empty cues)
    double durationSeconds = 2.0;         // length of the clip
    bool withVideo = true;
    bool withAudio = true;
    bool withSubtitle = true;
    std::string handlerName = "Ambarella EXT";
    std::vector<ExtraSubtitle> extraSubtitles;  // after the track's stream, or before it with extraFirst
    bool extraFirst = false;
    int width = 160;
    int height = 90;
    int frameRate = 10;
    int keyframeInterval = 10;  // frames; a long one makes every seek decode for a while
    std::string colour;         // a picture of one colour (an FFmpeg colour name); empty: the test pattern
};

// A track text of the camera for moment i: the date and time count up by
// seconds, the car drives north-east, the G-sensor axes vary about their
// rest values (X and Y near 2000, Z near 2333: 1 G up).
std::string cameraTrackText(int i);
// n texts cameraTrackText(0..n-1).
std::vector<std::string> cameraTrack(int n);

// A drive of `seconds` s from 2026-12-07 10:00:00, five texts a second
// (cues of 0.2 s) by a level camera: 80 km/h, a braking to 10 km/h between
// 28.5 and 31.5 s (0.66 G), then 10 km/h, and a 2.5 G bump at 45 s.
std::vector<std::string> incidentTrack(int seconds = 60);

// 40 s of a drive at 320x180, the camera's texts `first` to first + 39,
// one a second: clips of first 0 and 40 follow each other without a gap.
ClipSpec driveClip(int first);

// The SRT text ffmpeg is fed.
std::string srtOf(const ClipSpec& spec);
std::string srtOf(const std::vector<std::string>& texts, double cueSeconds, double gapSeconds);

// Writes the clip to `path`; returns the empty string, or ffmpeg's complaint.
std::string makeClip(const std::string& path, const ClipSpec& spec);

}  // namespace testing_support
