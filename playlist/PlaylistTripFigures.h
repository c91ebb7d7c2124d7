#pragma once
// The playlist's side of the trips: while the clips are read, the progress
// next to the header ("Reading tracks 12/60"); then, under it, the figures of
// the trip of the clip being played (date, start-end, duration, distance,
// maximum speed, in the chosen units). Each row's tool tip gets the clip's
// full path, recorded span and distance, or why it has no track; a thin line
// marks the row where another drive begins (the channels of one drive, such
// as front and rear, stay together).
//
// Threads: UI thread only. Lifecycle: created with the view manager, given
// its labels once the skin is built (Bind) and its texts with every language
// change; added to the trip review. The labels and the tree may go first.
#include "config/UnitSystem.h"
#include "trip/TripDisplay.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class PlaylistView;

class PlaylistTripFigures final : public TripDisplay {
public:
    // Translated texts; %1... are filled in with QString::arg.
    struct Texts {
        QString reading = QStringLiteral("Reading tracks %1/%2");
        QString figures = QStringLiteral("%1, %2\u2013%3 \u00b7 %4 \u00b7 %5 \u00b7 max. %6");
        QString jump = QStringLiteral(" \u00b7 a jump of %1 between clips, not counted");
        QString span = QStringLiteral("Recorded %1 \u2013 %2");
        QString distance = QStringLiteral("Distance: %1");
        QString noTrack = QStringLiteral("No track: %1");
        QString noData = QStringLiteral("No GPS data found");
        QString format = QStringLiteral("%1, %2 fixes");
        QString kmh = QStringLiteral("km/h");
        QString mph = QStringLiteral("mph");
        QString decimalSign = QStringLiteral(".");
    };

    explicit PlaylistTripFigures(PlaylistView& playlist) : playlist_(playlist) {}

    void Bind(QWidget* readingLabel, QWidget* tripLabel);
    void SetTexts(Texts texts);

    void ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) override;
    void ShowReadingProgress(size_t done, size_t total) override;
    void SetUnits(UnitSystem units) override;

    // What the labels show ("" when hidden).
    const QString& ReadingText() const { return readingText_; }
    const QString& TripText() const { return tripText_; }

    static QString FiguresLine(const TripRoute& trip, UnitSystem units, const Texts& texts);
    // The lines a row's tool tip gets for the clip; "" while it is not read.
    static QString RowDetails(const std::string& path, const ClipTrack* clip, UnitSystem units, const Texts& texts);

private:
    void showReading();
    void showFigures();
    void markRows();

    PlaylistView& playlist_;
    QPointer<QWidget> readingLabel_;
    QPointer<QWidget> tripLabel_;
    Texts texts_;
    UnitSystem units_ = UnitSystem::Metric;
    std::shared_ptr<const TripSet> trips_;
    std::string currentClip_;
    size_t done_ = 0;
    size_t total_ = 0;
    QString readingText_;
    QString tripText_;
};
