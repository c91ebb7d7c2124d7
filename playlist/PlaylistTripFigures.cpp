#include "playlist/PlaylistTripFigures.h"

#include "playlist/CPlayListTreeViewUI.h"
#include "playlist/PlaylistView.h"
#include "track/CameraTime.h"
#include "trackindex/IndexedTrackReader.h"
#include "trackindex/TripBuilder.h"
#include "ui/ControlText.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

QString distanceText(double metres, UnitSystem units, const PlaylistTripFigures::Texts& texts) {
    return QString::fromStdString(Units::formatDistance(metres, units, texts.decimalSign.toStdString()));
}

QString durationText(int64_t seconds) {
    seconds = std::max<int64_t>(seconds, 0);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString momentText(int64_t seconds) {
    return QString::fromStdString(formatSeconds(seconds, false));  // "YYYY-MM-DD hh:mm:ss"
}

}  // namespace

void PlaylistTripFigures::Bind(QWidget* readingLabel, QWidget* tripLabel) {
    readingLabel_ = readingLabel;
    tripLabel_ = tripLabel;
    showReading();
    showFigures();
}

void PlaylistTripFigures::SetTexts(Texts texts) {
    texts_ = std::move(texts);
    showReading();
    showFigures();
    markRows();
}

void PlaylistTripFigures::SetUnits(UnitSystem units) {
    units_ = units;
    showFigures();
    markRows();
}

void PlaylistTripFigures::ShowReadingProgress(size_t done, size_t total) {
    done_ = done;
    total_ = total;
    showReading();
}

void PlaylistTripFigures::ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) {
    trips_ = trips;
    currentClip_ = currentClip;
    showFigures();
    markRows();
}

QString PlaylistTripFigures::FiguresLine(const TripRoute& trip, UnitSystem units, const Texts& texts) {
    const TrackFigures& f = trip.figures;
    if (!f.hasTime()) return {};
    const QString start = momentText(f.startSeconds());
    const QString end = momentText(f.endSeconds());
    const double speed = Units::speed(f.maxSpeedKmh(), units);
    const QString speedText = QString::fromStdString(Units::fixedNumber(speed, 0, texts.decimalSign.toStdString())) +
                              QLatin1Char(' ') + (units == UnitSystem::Imperial ? texts.mph : texts.kmh);
    // One arg() call: a "%n" inside a filled-in value is never filled in again.
    QString line = texts.figures.arg(start.left(10), start.mid(11, 5), end.mid(11, 5), durationText(f.durationSeconds()),
                                     distanceText(f.distanceMetres(), units, texts), speedText);
    if (f.jumps() > 0) line += texts.jump.arg(distanceText(f.jumpMetres(), units, texts));
    return line;
}

QString PlaylistTripFigures::RowDetails(const std::string& path, const ClipTrack* clip, UnitSystem units,
                                        const Texts& texts) {
    if (!clip) return {};
    QString details = QString::fromStdString(path);
    if (clip->problem == IndexedTrackReader::kNoData) return details + QLatin1Char('\n') + texts.noData;
    if (!clip->readable())
        return details + QLatin1Char('\n') + texts.noTrack.arg(QString::fromStdString(clip->problem));
    const TrackFigures& f = clip->figures;
    if (clip->format != TelemetryFormat::None) {
        const std::string_view label = telemetryFormatLabel(clip->format);
        // One arg() call: a "%n" inside a filled-in value is never filled in again.
        details += QLatin1Char('\n') + texts.format.arg(QString::fromUtf8(label.data(), static_cast<int>(label.size())),
                                                       QString::number(f.fixes()));
    }
    if (f.hasTime())
        details += QLatin1Char('\n') + texts.span.arg(momentText(f.startSeconds()), momentText(f.endSeconds()));
    details += QLatin1Char('\n') + texts.distance.arg(distanceText(f.distanceMetres(), units, texts));
    if (!clip->note.empty()) details += QLatin1Char('\n') + QString::fromStdString(clip->note);
    if (!clip->order.empty()) details += QLatin1Char('\n') + QString::fromStdString(clip->order);
    return details;
}

void PlaylistTripFigures::showReading() {
    readingText_ = total_ > 0 && done_ < total_ ? texts_.reading.arg(done_).arg(total_) : QString();
    if (!readingLabel_) return;
    ui::setControlText(readingLabel_, readingText_);
    readingLabel_->setVisible(!readingText_.isEmpty());
}

void PlaylistTripFigures::showFigures() {
    const TripRoute* trip = trips_ && !currentClip_.empty() ? trips_->tripOf(currentClip_) : nullptr;
    tripText_ = trip ? FiguresLine(*trip, units_, texts_) : QString();
    if (!tripLabel_) return;
    ui::setControlText(tripLabel_, tripText_);
    tripLabel_->setVisible(!tripText_.isEmpty());
}

void PlaylistTripFigures::markRows() {
    CPlayListTreeViewUI* tree = playlist_.GetTree();
    if (!tree) return;
    const CPlayList& list = playlist_.Controller().GetPlayList();
    // A drive: the trips (of every channel) whose spans overlap or follow
    // within the trip gap; the first row of another drive gets the line.
    std::unordered_set<const TripRoute*> drive;
    int64_t driveEnd = 0;
    const int rows = std::min(tree->GetCount(), list.GetCount());
    for (int row = 0; row < rows; ++row) {
        std::string path;
        list.GetPathAt(row, path);
        const ClipTrack* clip = trips_ ? trips_->clip(path) : nullptr;
        const TripRoute* trip = trips_ ? trips_->tripOf(path) : nullptr;
        bool starts = false;
        if (trip && !drive.count(trip)) {
            const TrackFigures& f = trip->figures;
            if (!drive.empty() && f.startSeconds() > driveEnd + TRIP_GAP_SECONDS) {
                starts = true;
                drive.clear();
            }
            drive.insert(trip);
            driveEnd = drive.size() == 1 ? f.endSeconds() : std::max(driveEnd, f.endSeconds());
        }
        tree->SetNodeTrackDetails(row, RowDetails(path, clip, units_, texts_), starts);
    }
}
