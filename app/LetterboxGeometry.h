#pragma once
// Where the video window goes inside the video host's box: as large as the
// box allows at the video's aspect, centred, the rest left as black bars.
//
// Threads: any (pure function).

struct VideoBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const VideoBox&) const = default;
};

// aspect = video width / height. An aspect of 0 or less, or an empty box,
// gives the whole box. Sizes are truncated and the offset rounds
// toward zero, so the result never leaves the box.
VideoBox fitVideoBox(const VideoBox& box, double aspect);
