#include "playlist/PlaylistEventList.h"

#include "track/CameraTime.h"
#include "track/TelemetryRecords.h"
#include "trip/ClipSeconds.h"
#include "trip/EventNavigator.h"
#include "vehicle/CarEventReason.h"

#include <QMenu>
#include <QSignalBlocker>
#include <algorithm>

PlaylistEventList::~PlaylistEventList() {
    QObject::disconnect(activated_);
    QObject::disconnect(menu_);
}

void PlaylistEventList::Bind(QComboBox* combo) {
    QObject::disconnect(activated_);
    QObject::disconnect(menu_);
    combo_ = combo;
    if (combo_) {
        // The list's menu exports an event: the stretch around it.
        combo_->setContextMenuPolicy(Qt::CustomContextMenu);
        menu_ = QObject::connect(combo_, &QWidget::customContextMenuRequested, combo_, [this](const QPoint& at) {
            if (!combo_ || !exporter_ || lines_.size() < 2) return;
            QMenu menu(combo_);
            const int events = trip_ ? static_cast<int>(std::min<size_t>(trip_->events.size(), kMenuEvents)) : 0;
            for (int line = 1; line <= events && line < lines_.size(); ++line)
                menu.addAction(texts_.exportLine.arg(lines_[line]), [this, line] { ExportLine(line); });
            if (verifier_) {
                menu.addSeparator();
                menu.addAction(texts_.verify, [this] { verifier_(); });
            }
            menu.exec(combo_->mapToGlobal(at));
        });
    }
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
    player_(trip_->clipPaths[event.clip], clipSecondOfMs(eventStartMs(event)));
}

void PlaylistEventList::ExportLine(int line) const {
    if (!trip_ || line < 1 || static_cast<size_t>(line) > trip_->events.size() || !exporter_) return;
    const TripEvent& event = trip_->events[static_cast<size_t>(line - 1)];
    if (event.clip >= trip_->clipPaths.size()) return;
    exporter_(trip_->clipPaths[event.clip], clipSecondOfMs(event.timeMs));
}

QString PlaylistEventList::KindText(TripEventKind kind, const Texts& texts) {
    switch (kind) {
        case TripEventKind::Brake:
            return texts.brake;
        case TripEventKind::Accel:
            return texts.accel;
        case TripEventKind::Impact:
            return texts.impact;
        case TripEventKind::Car:
            break;
    }
    return {};
}

QString PlaylistEventList::CarEventText(const ClipTrack* clip) {
    if (!clip || !clip->carEvent) return {};
    return QString::fromStdString(CarEventReason::text(clip->carEvent->event.reason, clip->carEvent->sentry));
}

bool PlaylistEventList::FirstCameraMoment(const ClipTrack& clip, const DisplayZone& zone, int64_t& seconds,
                                          int64_t& timeMs) {
    for (const TelemetrySample& s : clip.samples) {
        if (!shownSeconds(s, zone, seconds)) continue;
        timeMs = s.clipMs;
        return true;
    }
    return false;
}

QString PlaylistEventList::MomentText(bool camera, int64_t firstSeconds, int64_t firstMs, int64_t timeMs) {
    int64_t sinceFirst = 0;
    if (camera && !__builtin_sub_overflow(timeMs, firstMs, &sinceFirst)) {
        const std::string moment = formatSeconds(firstSeconds + sinceFirst / 1000, false);
        if (moment.size() > 11) return QString::fromStdString(moment.substr(11));  // "hh:mm:ss"
    }
    const int64_t seconds = std::max<int64_t>(timeMs, 0) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void PlaylistEventList::fill() {
    lines_.clear();
    if (trip_ && !trip_->events.empty()) {
        lines_ << texts_.title.arg(trip_->events.size());
        // Each clip's first camera moment is looked for once, not per event.
        struct First {
            bool looked = false, camera = false;
            int64_t seconds = 0, timeMs = 0;
        };
        std::vector<First> firsts(trip_->clipPaths.size());
        for (const TripEvent& e : trip_->events) {
            First unknown;
            First& first = e.clip < firsts.size() ? firsts[e.clip] : unknown;
            if (!first.looked && e.clip < trip_->clipPaths.size()) {
                const ClipTrack* clip = trips_->clip(trip_->clipPaths[e.clip]);
                first.camera = clip && FirstCameraMoment(*clip, trips_->zone(), first.seconds, first.timeMs);
                first.looked = true;
            }
            const QString moment = MomentText(first.camera, first.seconds, first.timeMs, e.timeMs);
            if (e.kind == TripEventKind::Car) {
                const ClipTrack* clip =
                    e.clip < trip_->clipPaths.size() ? trips_->clip(trip_->clipPaths[e.clip]) : nullptr;
                const QString city =
                    clip && clip->carEvent ? QString::fromStdString(clip->carEvent->event.city) : QString();
                lines_ << texts_.carLine.arg(moment, CarEventText(clip), city).trimmed();
                continue;
            }
            QString peak = QString::number(e.peakG, 'f', 1);
            peak.replace(QLatin1Char('.'), texts_.decimalSign);
            // One arg() call: a "%n" inside a filled-in text is never filled in again.
            lines_ << texts_.line.arg(moment, KindText(e.kind, texts_), peak);
        }
        if (trip_->eventsLeftOut > 0) lines_ << texts_.leftOut.arg(trip_->eventsLeftOut);
    }
    if (!combo_) return;
    const QSignalBlocker blocker(combo_);
    combo_->clear();
    combo_->addItems(lines_);
    combo_->setCurrentIndex(0);
    combo_->setVisible(!lines_.isEmpty());
}
