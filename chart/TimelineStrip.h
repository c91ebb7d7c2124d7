#pragma once
// TimelineStrip: the control "timelineStrip" under the progress slider
// (class "TimelineStrip"). Shows the current clip's speed over its play
// time, the play position, and, when the clip belongs to a trip of several
// clips, a band of the trip's clips with the current one lit. A click, or a
// drag once released, asks for a seek to that moment, as the progress
// slider does. The band above the profile carries the clip's event ticks,
// coloured by kind, each with a faint line down through the profile.
//
// Threads: UI thread only. Lifecycle: made by the main window's control
// factory; the view manager gives it the seek handler, the units and the
// play time, the trip review the trips; it goes with the window.
#include "config/UnitSystem.h"
#include "trip/SpeedProfile.h"
#include "trip/TripDisplay.h"

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TimelineStrip : public QWidget, public TripDisplay {
    Q_OBJECT
public:
    using SeekHandler = std::function<void(int32_t seconds)>;

    static constexpr int kHeight = 22;
    static constexpr int kEventBand = 3;  // reserved for event ticks
    static constexpr int kTripBand = 3;

    explicit TimelineStrip(QWidget* parent = nullptr);

    // TripDisplay.
    void ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) override;
    void SetUnits(UnitSystem units) override;

    // The speed units' texts in the current language; empty: "km/h", "mph".
    void SetUnitTexts(const QString& metric, const QString& imperial);
    void SetSeekHandler(SeekHandler handler) { seek_ = std::move(handler); }
    // The clip's length as the player reports it; 0 while nothing plays.
    void SetLength(int32_t seconds);
    // The play position; ignored while the user drags.
    void SetPosition(int32_t seconds);
    void Reset();

    // For the test driver: points of the drawn profile and the playhead.
    int DrawnPoints() const { return drawnPoints_; }
    double PlayheadSeconds() const { return static_cast<double>(positionMs_) / 1000.0; }
    size_t EventTicks() const { return eventTicks_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The profile's area, between the event band and the trip band.
    QRect profileRect() const;
    QRect tripRect() const;
    // The clip's time over the profile's width: the player's length when it
    // knows it, else the recorded span.
    TimelineScale scale() const;
    void relayout();
    void followPointer(double x);

    std::shared_ptr<const TripSet> trips_;  // keeps the shown clip's track alive
    const ClipTrack* clip_ = nullptr;
    SpeedProfile profile_;
    std::vector<std::vector<ProfilePoint>> lines_;  // at the current width
    int drawnPoints_ = 0;
    std::vector<double> tripEdges_;      // empty: no trip band
    std::vector<TripEvent> eventTicks_;  // the trip's events in the current clip
    size_t tripClip_ = 0;
    UnitSystem units_ = UnitSystem::Metric;
    QString metricUnit_{QStringLiteral("km/h")};
    QString imperialUnit_{QStringLiteral("mph")};
    int32_t lengthSeconds_ = 0;
    int64_t positionMs_ = 0;
    bool dragging_ = false;
    SeekHandler seek_;
};
