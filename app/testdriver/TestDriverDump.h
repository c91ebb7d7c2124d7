#pragma once
// The test driver's "dump": the main window's state as one JSON object. It
// reads the window's controls, the playback controller, the playlist, the
// map display and the chart; it changes nothing. Besides the panel's
// "labels", "vehicle" gives the car's rows by control name (their text, or
// null while the row is hidden).
//
// Threads: UI thread only.
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

class CDuiFrameWnd;
class CWebBrowserUI;

class TestDriverDump {
public:
    explicit TestDriverDump(const CDuiFrameWnd& window) : window_(window) {}

    QJsonObject Dump() const;

private:
    // "rows" ([{name, path}] in list order) and "current" (-1 for none).
    QJsonObject playlist() const;
    // "page" (file name), "loaded", "linePoints" (points on the current
    // line), "marker" (filled in by addPageState).
    QJsonObject map() const;
    // Points of the "X", "Y" and "Z" series and of a car's "Speed", "Pedal"
    // and "Brake"; "shows": what the chart draws ("g", "car", "both").
    QJsonObject chart() const;
    // "points" of the drawn speed profile, the "playhead_s" and the "eventTicks".
    QJsonObject timeline() const;
    // The trip of the current clip: "clips" (file names), "routePoints" and
    // "eventMarks" (drawn by the page), "sliderTicks" (the progress slider's),
    // "distance_m", "duration_s", "maxSpeed_kmh", "figures" (the playlist's
    // line), "eventLines" (the event list); null when the clip is in no trip.
    QJsonValue trip() const;
    // The events of the current clip's trip: "clip" (file name), "time_s", "kind", "peak_g".
    QJsonArray events() const;
    // The playlist's clips read so far: "done", "total", "text".
    QJsonObject reading() const;
    // What the page shows: the map's "marker" ({latitude, longitude} in the
    // page's datum, or null) and the trip's "routePoints" and "eventMarks".
    void addPageState(QJsonObject& dump) const;
    // The page's trackMapState(), empty when it does not answer.
    static QJsonObject pageState(CWebBrowserUI& browser);
    // The car marker in the page's state ({latitude, longitude} in its datum), or null.
    static QJsonValue pageMarker(const QJsonObject& page);

    static constexpr int kPageAnswerMs = 2000;

    const CDuiFrameWnd& window_;
};
