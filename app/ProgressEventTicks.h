#pragma once
// Ticks on the progress slider at the events of the clip being played,
// coloured by kind, drawn by a see-through child over the slider that follows
// its size; mouse presses go through to the slider. The slider's range is the
// clip's length in seconds, read at every paint.
//
// Threads: UI thread only. Lifecycle: created with the view manager, bound to
// the slider once the skin is built and added to the trip review. The slider
// (and the child with it) may go first.
#include "trip/TripDisplay.h"

#include <QPointer>
#include <QWidget>
#include <vector>

class QAbstractSlider;

class ProgressEventTicks final : public TripDisplay {
public:
    ProgressEventTicks() = default;
    ~ProgressEventTicks() override;
    ProgressEventTicks(const ProgressEventTicks&) = delete;
    ProgressEventTicks& operator=(const ProgressEventTicks&) = delete;

    void Bind(QAbstractSlider* slider);
    void ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) override;

    struct Tick {
        int64_t timeMs = 0;
        TripEventKind kind = TripEventKind::Brake;
    };
    const std::vector<Tick>& Ticks() const { return ticks_; }

private:
    class Overlay;

    QPointer<QWidget> overlay_;
    std::vector<Tick> ticks_;
};
