#pragma once
// The events of the trip being played, as a compact drop-down under the
// playlist's trip figures: its first line counts them, each further line is
// one event (camera time, kind, peak; for an event the car saved itself,
// camera time, its reason in words and its city); picking one plays it from shortly
// before; a last line says how many weaker events the trip left out. Hidden
// while the trip has no event.
//
// Threads: UI thread only. Lifecycle: created with the view manager, given
// its combo box once the skin is built (Bind) and its texts with every
// language change; added to the trip review. The combo box may go first.
#include "trip/TripDisplay.h"

#include <QComboBox>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <functional>

class PlaylistEventList final : public TripDisplay {
public:
    static constexpr size_t kMenuEvents = 30;  // the export menu's first events
    // A clip of the playlist and the second to play it from.
    using Player = std::function<void(const std::string& path, int32_t seconds)>;

    // Translated texts; %1... are filled in with QString::arg.
    struct Texts {
        QString title = QStringLiteral("Events of the trip: %1");
        QString line = QStringLiteral("%1  %2  %3 G");
        QString brake = QStringLiteral("Hard braking");
        QString accel = QStringLiteral("Hard acceleration");
        QString impact = QStringLiteral("Impact");
        QString carLine = QStringLiteral("%1  %2  %3");
        QString decimalSign = QStringLiteral(".");
        QString leftOut = QStringLiteral("%1 weaker events are not listed");
        QString exportLine = QStringLiteral("Export… %1");
        QString verify = QStringLiteral("Verify an evidence folder…");
    };

    PlaylistEventList() = default;
    ~PlaylistEventList() override;
    PlaylistEventList(const PlaylistEventList&) = delete;
    PlaylistEventList& operator=(const PlaylistEventList&) = delete;

    void Bind(QComboBox* combo);
    void SetPlayer(Player player) { player_ = std::move(player); }
    // Called with an event's clip and moment from the list's menu ("Export…").
    void SetExporter(Player exporter) { exporter_ = std::move(exporter); }
    // Called from the list's menu's last item ("Verify an evidence folder…").
    void SetVerifier(std::function<void()> verifier) { verifier_ = std::move(verifier); }
    // Exports the event of the given line (1 is the first event).
    void ExportLine(int line) const;
    void SetTexts(Texts texts);

    void ShowTrips(const std::shared_ptr<const TripSet>& trips, const std::string& currentClip) override;

    // The lines shown, the count first ("" lines when hidden).
    const QStringList& Lines() const { return lines_; }
    // Plays the event of the given line (1 is the first event).
    void PlayLine(int line) const;

    // The kind's translated name.
    static QString KindText(TripEventKind kind, const Texts& texts);
    // The words for the car's own event of a clip ("" when it has none).
    static QString CarEventText(const ClipTrack* clip);
    // "hh:mm:ss" on the clock shown (UTC in the zone), from the clip's first
    // sample with a date and time (camera: there is one), or the moment in the
    // clip ("m:ss") when its time is unknown.
    static QString MomentText(bool camera, int64_t firstSeconds, int64_t firstMs, int64_t timeMs);
    static bool FirstCameraMoment(const ClipTrack& clip, const DisplayZone& zone, int64_t& seconds, int64_t& timeMs);

private:
    void fill();

    Player player_;
    Player exporter_;
    std::function<void()> verifier_;
    QMetaObject::Connection menu_;
    QPointer<QComboBox> combo_;
    QMetaObject::Connection activated_;
    Texts texts_;
    std::shared_ptr<const TripSet> trips_;
    const TripRoute* trip_ = nullptr;  // of trips_
    QStringList lines_;
};
