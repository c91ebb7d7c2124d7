#pragma once
// The playlist's trips for the views that show them: owns the background
// reader of the playlist's clips, hands it the list whenever the playlist's
// rows change and the clip being played whenever one starts (as a track
// view), and passes what it reads on to every TripDisplay: the snapshot with
// the current clip, the reading progress, the units.
//
// Threads: UI thread only; the reader's worker reaches it through queued
// calls on a context object of its own, which goes with it.
// Lifecycle: created with the view manager; Follow() once the playlist tree
// exists; the worker starts with the first list and is stopped and joined
// by the destructor before anything else of the review goes. The displays
// added outlive it.
#include "config/UnitSystem.h"
#include "playlist/CPlaylistController.h"
#include "track/TrackView.h"
#include "trip/PlaylistIndexer.h"
#include "trip/TripDisplay.h"

#include <QObject>
#include <QPointer>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class QAbstractItemModel;

class TripReview final : public TrackView {
public:
    // indexPath: the track index file ("" reads every clip directly).
    TripReview(CPlaylistController& playlist, std::string indexPath, const EventSettings& events = {},
               const DisplayZone& zone = {});
    ~TripReview() override;
    TripReview(const TripReview&) = delete;
    TripReview& operator=(const TripReview&) = delete;

    void Add(TripDisplay& display);
    // Follows the rows of the playlist's model (the tree's).
    void Follow(QAbstractItemModel* model);
    void SetUnits(UnitSystem units);

    // TrackView: the clip being played.
    void StartClip(const std::string& path) override;

    const std::shared_ptr<const TripSet>& Trips() const { return trips_; }
    const std::string& CurrentClip() const { return currentClip_; }
    size_t ReadingDone() const { return done_; }
    size_t ReadingTotal() const { return total_; }
    UnitSystem Units() const { return units_; }

private:
    // Coalesces the model's signals of one change (reset, then insert) into one list.
    void scheduleSync();
    void syncPlaylist();
    void take(const PlaylistIndexer::Update& update);
    void showTrips();

    CPlaylistController& playlist_;
    std::vector<TripDisplay*> displays_;
    std::shared_ptr<const TripSet> trips_;
    std::string currentClip_;
    size_t done_ = 0;
    size_t total_ = 0;
    UnitSystem units_ = UnitSystem::Metric;
    bool syncPending_ = false;
    // Declared before the indexer, so it is still there while the indexer stops.
    std::unique_ptr<QObject> context_;
    PlaylistIndexer indexer_;
};
