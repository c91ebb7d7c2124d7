#include "app/TripReview.h"

#include <QAbstractItemModel>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>

TripReview::TripReview(CPlaylistController& playlist, std::string indexPath, const EventSettings& events,
                       const DisplayZone& zone)
    : playlist_(playlist),
      context_(std::make_unique<QObject>()),
      indexer_(
          [context = context_.get(), this](const PlaylistIndexer::Update& update) {
              // On the worker: the context lives until the indexer has stopped,
              // and a call still queued when it goes is dropped with it.
              QMetaObject::invokeMethod(
                  context, [this, update] { take(update); }, Qt::QueuedConnection);
          },
          std::move(indexPath), events, zone) {}

TripReview::~TripReview() {
    indexer_.stop();
}

void TripReview::Add(TripDisplay& display) {
    displays_.push_back(&display);
    display.SetUnits(units_);
    display.ShowReadingProgress(done_, total_);
    display.ShowTrips(trips_, currentClip_);
}

void TripReview::Follow(QAbstractItemModel* model) {
    if (!model) return;
    QObject* context = context_.get();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, context, [this] { scheduleSync(); });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, context, [this] { scheduleSync(); });
    QObject::connect(model, &QAbstractItemModel::modelReset, context, [this] { scheduleSync(); });
}

void TripReview::SetUnits(UnitSystem units) {
    units_ = units;
    for (TripDisplay* display : displays_) display->SetUnits(units);
}

void TripReview::StartClip(const std::string& path) {
    const bool other = path != currentClip_;
    currentClip_ = path;
    showTrips();
    // The clip now played is read next.
    if (other) scheduleSync();
}

void TripReview::scheduleSync() {
    if (syncPending_) return;
    syncPending_ = true;
    QTimer::singleShot(0, context_.get(), [this] { syncPlaylist(); });
}

void TripReview::syncPlaylist() {
    syncPending_ = false;
    const CPlayList& list = playlist_.GetPlayList();
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(list.GetCount()));
    for (int i = 0; i < list.GetCount(); ++i) {
        std::string path;
        if (list.GetPathAt(i, path)) paths.push_back(std::move(path));
    }
    // The clip played, else the one about to be.
    std::string first = currentClip_;
    if (std::find(paths.begin(), paths.end(), first) == paths.end()) first.clear();
    if (first.empty()) playlist_.GetCurrentPath(first);
    if (paths.empty()) {
        trips_.reset();
        done_ = total_ = 0;
    } else if (total_ != paths.size()) {
        done_ = std::min(done_, paths.size());
        total_ = paths.size();
    }
    indexer_.setClips(std::move(paths), std::move(first));
    for (TripDisplay* display : displays_) display->ShowReadingProgress(done_, total_);
    // The rows may be new: the displays mark them again.
    showTrips();
}

void TripReview::take(const PlaylistIndexer::Update& update) {
    // An update of a list the playlist has since replaced is corrected by the next one.
    done_ = update.done;
    total_ = update.total;
    for (TripDisplay* display : displays_) display->ShowReadingProgress(done_, total_);
    if (!update.trips) return;
    if (total_ == 0) {
        trips_.reset();
    } else {
        trips_ = update.trips;
    }
    showTrips();
}

void TripReview::showTrips() {
    for (TripDisplay* display : displays_) display->ShowTrips(trips_, currentClip_);
}
