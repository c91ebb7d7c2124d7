#include "trip/PlaylistIndexer.h"

#include "trackindex/IndexedTrackReader.h"
#include "trackindex/TrackCueRecords.h"
#include "trackindex/TrackIndex.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

void logLine(const std::string& text) {
    std::fprintf(stderr, "veltara-dvr-player: %s\n", text.c_str());
}

}  // namespace

PlaylistIndexer::PlaylistIndexer(Listener listener, std::string indexPath)
    : listener_(std::move(listener)), indexPath_(std::move(indexPath)) {}

PlaylistIndexer::~PlaylistIndexer() {
    stop();
}

void PlaylistIndexer::setClips(std::vector<std::string> paths, std::string current) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    // Only what is still listed is kept: a clip removed and added again
    // comes back from the index.
    std::unordered_map<std::string, std::shared_ptr<const ClipTrack>> kept;
    for (const std::string& path : paths) {
        const auto it = read_.find(path);
        if (it != read_.end()) kept.emplace(path, it->second);
    }
    read_ = std::move(kept);
    paths_ = std::move(paths);
    current_ = std::move(current);
    changed_ = true;
    if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    wake_.notify_one();
}

void PlaylistIndexer::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
}

std::string PlaylistIndexer::nextToRead() const {
    if (!current_.empty() && !read_.count(current_) &&
        std::find(paths_.begin(), paths_.end(), current_) != paths_.end())
        return current_;
    for (const std::string& path : paths_)
        if (!read_.count(path)) return path;
    return {};
}

size_t PlaylistIndexer::doneCount() const {
    size_t done = 0;
    for (const std::string& path : paths_) done += read_.count(path);
    return done;
}

void PlaylistIndexer::openIndex() {
    if (indexPath_.empty()) {
        logLine("no track index (no cache folder): clips are read directly");
        return;
    }
    auto index = std::make_unique<TrackIndex>();
    if (!index->open(indexPath_)) {
        logLine("track index unavailable, clips are read directly: " + index->reason());
        return;
    }
    index_ = std::move(index);
}

std::shared_ptr<const ClipTrack> PlaylistIndexer::readClip(IndexedTrackReader& reader, const std::string& path) {
    auto clip = std::make_shared<ClipTrack>();
    clip->path = path;
    std::vector<TrackCue> cues;
    std::string reason;
    if (reader.read(path, cues, reason) != NativeTrackReader::Result::Track) {
        clip->problem = reason.empty() ? std::string("cannot be read") : reason;
        return clip;
    }
    recordsOfCues(cues, TrackSampling::All, clip->records, clip->timesMs);
    clip->figures.startClip();
    for (size_t i = 0; i < clip->records.size(); ++i)
        clip->figures.add(clip->records[i], i < clip->timesMs.size() ? clip->timesMs[i] : -1);
    return clip;
}

void PlaylistIndexer::run() {
    // Playback and the window come first: this thread only makes the trips
    // appear sooner. Linux gives each thread its own nice value.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice);
    openIndex();
    IndexedTrackReader reader(index_.get());
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastSnapshot = Clock::now() - std::chrono::milliseconds(kPublishIntervalMs);
    std::optional<TripSet::Clips> published;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        const std::string path = nextToRead();
        if (path.empty() && !changed_) {
            wake_.wait(lock, [this] { return stopping_ || changed_; });
            continue;
        }
        bool wantSnapshot = path.empty();
        if (!path.empty()) {
            const bool isCurrent = path == current_;
            lock.unlock();
            std::shared_ptr<const ClipTrack> clip = readClip(reader, path);
            const std::string trouble = reader.indexProblem();
            if (!trouble.empty()) logLine("track index no longer used, clips are read directly: " + trouble);
            lock.lock();
            if (stopping_) break;
            // The list may have changed meanwhile; a clip no longer listed is dropped.
            if (std::find(paths_.begin(), paths_.end(), path) != paths_.end()) read_[path] = std::move(clip);
            changed_ = true;
            wantSnapshot = isCurrent || nextToRead().empty() ||
                           Clock::now() - lastSnapshot >= std::chrono::milliseconds(kPublishIntervalMs);
        }
        Update update;
        update.done = doneCount();
        update.total = paths_.size();
        TripSet::Clips clips;
        if (wantSnapshot) {
            changed_ = false;
            for (const std::string& listed : paths_) {
                const auto it = read_.find(listed);
                if (it != read_.end()) clips.push_back(it->second);
            }
        }
        lock.unlock();
        // The same clips as last time (another current clip, the same list
        // again) make no new snapshot: views keep what they drew.
        if (wantSnapshot && (!published || clips != *published)) {
            published = clips;
            // Built outside the lock: the owner's setClips() never waits for it.
            update.trips = TripSet::build(std::move(clips));
            lastSnapshot = Clock::now();
        }
        listener_(update);
        lock.lock();
    }
}
