#include "playlist/PlaylistEventList.h"

#include "trackindex/CameraTime.h"
#include "trip/EventNavigator.h"

#include <QSignalBlocker>

PlaylistEventList::~PlaylistEventList() {
    QObject::disconnect(activated_);
}

void PlaylistEventList::Bind(QComboBox* combo) {
    QObject::disconnect(activated_);
    combo_ = combo;
    if (combo_)
        activated_ = QObject::connect(combo_, &QComboBox::activated, combo_, [this](int line) {
            PlayLine(line);
            // The first line stays shown: the list is a menu of jumps.
            if (combo_) combo_->setCurrentIndex(0);
        });
    fill();
}

void PlaylistEventList::SetTexts(Texts texts) {
    texts_ = std::move(texts);
    fill();
}

void PlaylistEventList::ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) {
    trips_ = trips;
    trip_ = trips_ && !currentClip.empty() ? trips_->tripOf(currentClip) : nullptr;
    fill();
}

void PlaylistEventList::PlayLine(int line) const {
    if (!trip_ || line < 1 || static_cast<size_t>(line) > trip_->events.size() || !player_) return;
    const TripEvent& event = trip_->events[static_cast<size_t>(line - 1)];
    if (event.clip >= trip_->clipPaths.size()) return;
    player_(trip_->clipPaths[event.clip], static_cast<int32_t>(eventStartMs(event) / 1000));
}

QString PlaylistEventList::KindText(TripEventKind kind, const Texts& texts) {
    switch (kind) {
        case TripEventKind::Brake:
            return texts.brake;
        case TripEventKind::Accel:
            return texts.accel;
        case TripEventKind::Impact:
            return texts.impact;
    }
    return {};
}

QString PlaylistEventList::MomentText(const ClipTrack* clip, int64_t timeMs) {
    if (clip) {
        for (size_t i = 0; i < clip->records.size() && i < clip->timesMs.size(); ++i) {
            int64_t seconds = 0;
            if (!clip->records[i].valid || !cameraSeconds(clip->records[i], seconds)) continue;
            const std::string moment = formatSeconds(seconds + (timeMs - clip->timesMs[i]) / 1000, false);
            return QString::fromStdString(moment.substr(11));  // "hh:mm:ss"
        }
    }
    const int64_t seconds = std::max<int64_t>(timeMs, 0) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void PlaylistEventList::fill() {
    lines_.clear();
    if (trip_ && !trip_->events.empty()) {
        lines_ << texts_.title.arg(trip_->events.size());
        for (const TripEvent& e : trip_->events) {
            const ClipTrack* clip = e.clip < trip_->clipPaths.size() ? trips_->clip(trip_->clipPaths[e.clip]) : nullptr;
            QString peak = QString::number(e.peakG, 'f', 1);
            peak.replace(QLatin1Char('.'), texts_.decimalSign);
            // One arg() call: a "%n" inside a filled-in text is never filled in again.
            lines_ << texts_.line.arg(MomentText(clip, e.timeMs), KindText(e.kind, texts_), peak);
        }
    }
    if (!combo_) return;
    const QSignalBlocker blocker(combo_);
    combo_->clear();
    combo_->addItems(lines_);
    combo_->setCurrentIndex(0);
    combo_->setVisible(!lines_.isEmpty());
}
