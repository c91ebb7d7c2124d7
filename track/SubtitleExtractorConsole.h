#pragma once
// Reads the converter's console text as it arrives and notes what the
// extraction wants to know about it: the two marks of a camera clip (a
// mov_text subtitle stream and the camera's handler name), whether the input
// was opened as media at all and has a video and any subtitle stream, and the last line,
// which names the reason when the converter gives up.
//
// Threads: owned and fed by the console watcher of one run; the results are
// plain values the watcher copies out.
#include <cstddef>
#include <string>

class SubtitleExtractorConsole {
public:
    static constexpr size_t kMaxLine = 1024;  // longer lines are cut

    // Any piece of console output; lines end at a carriage return or a line
    // feed and may be split across pieces.
    void feed(const char* text, size_t size);
    // The rest of the text once the console has closed.
    void finish();

    bool sawSubtitleStream() const { return sawSubtitleStream_; }  // "Subtitle: mov_text"
    bool sawCameraMarker() const { return sawCameraMarker_; }      // "Ambarella EXT"
    bool sawInput() const { return sawInput_; }                    // the input was opened as media
    bool sawVideo() const { return sawVideo_; }                    // a video stream
    bool sawAnySubtitle() const { return sawAnySubtitle_; }        // a subtitle stream of any kind
    const std::string& lastLine() const { return lastLine_; }

private:
    void line(const std::string& text);

    std::string partial_;
    std::string lastLine_;
    bool sawSubtitleStream_ = false;
    bool sawCameraMarker_ = false;
    bool sawInput_ = false;
    bool sawVideo_ = false;
    bool sawAnySubtitle_ = false;
};
