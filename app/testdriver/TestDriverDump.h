#pragma once
// The test driver's "dump": the main window's state as one JSON object. It
// reads the window's controls, the playback controller, the playlist, the
// map display and the chart; it changes nothing.
//
// Threads: UI thread only.
#include <QJsonObject>

class CDuiFrameWnd;

class TestDriverDump {
public:
    explicit TestDriverDump(const CDuiFrameWnd& window) : window_(window) {}

    QJsonObject Dump() const;

private:
    // "rows" ([{name, path}] in list order) and "current" (-1 for none).
    QJsonObject playlist() const;
    // "page" (file name), "loaded", "linePoints" (points on the current
    // line), "marker" ({latitude, longitude} in the page's datum, or null).
    QJsonObject map() const;
    // Points of the "X", "Y" and "Z" series.
    QJsonObject chart() const;

    const CDuiFrameWnd& window_;
};
