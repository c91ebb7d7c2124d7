#include "trip/PlaylistIndexer.h"

#include "trackindex/IndexedTrackReader.h"
#include "trackindex/TrackIndex.h"
#include "vehicle/CarEventOfClip.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <optional>
#include <unordered_set>
#include <utility>

namespace {

void logLine(const std::string& text) {
    std::fprintf(stderr, "veltara-dvr-player: %s\n", text.c_str());
}

}  // namespace

PlaylistIndexer::PlaylistIndexer(Listener listener, std::string indexPath, const EventSettings& events,
                                 const DisplayZone& zone)
    : listener_(std::move(listener)), indexPath_(std::move(indexPath)), events_(events), zone_(zone) {}

PlaylistIndexer::~PlaylistIndexer() {
    stop();
}

void PlaylistIndexer::setClips(std::vector<std::string> paths, std::string current) {
    // Prepared before taking the lock, which the worker may hold.
    std::unordered_set<std::string> listed;
    std::vector<std::string> unique;
    unique.reserve(paths.size());
    for (std::string& path : paths)
        if (listed.insert(path).second) unique.push_back(std::move(path));

    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    // Only what is still listed is kept: a clip removed and added again
    // comes back from the index.
    for (auto it = read_.begin(); it != read_.end();) it = listed.count(it->first) ? std::next(it) : read_.erase(it);
    paths_ = std::move(unique);
    listed_ = std::move(listed);
    current_ = std::move(current);
    cursor_ = 0;
    changed_ = true;
    if (!worker_.joinable()) worker_ = std::thread([this] { run(); });
    wake_.notify_one();
}

void PlaylistIndexer::stop() {
    stopRead_.store(true);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
}

std::string PlaylistIndexer::nextToRead() {
    if (!current_.empty() && listed_.count(current_) && !read_.count(current_)) return current_;
    // Everything before the cursor is read: each clip is looked at once per list.
    while (cursor_ < paths_.size() && read_.count(paths_[cursor_])) ++cursor_;
    return cursor_ < paths_.size() ? paths_[cursor_] : std::string();
}

void PlaylistIndexer::openIndex() {
    if (indexPath_.empty()) {
        logLine("no track index (no cache folder): clips are read directly");
        return;
    }
    auto index = std::make_unique<TrackIndex>();
    const bool opened = index->open(indexPath_);
    if (const std::string notice = index->notice(); !notice.empty()) logLine(notice);
    if (!opened) {
        logLine("track index unavailable, clips are read directly: " + index->reason());
        return;
    }
    index_ = std::move(index);
}

void PlaylistIndexer::thin(ClipTrack& clip, size_t room) {
    const size_t n = clip.samples.size();
    const size_t step = record_budget::thin(clip.samples, room);
    if (step == 1) return;
    if (!clip.note.empty()) clip.note += '\n';
    clip.note += "kept thinned to one record in " + std::to_string(step) + " (" + std::to_string(n) +
                 " records go beyond the memory kept for trips): its route is drawn and sought coarser, and "
                 "events may be missed";
}

std::shared_ptr<const ClipTrack> PlaylistIndexer::readClip(IndexedTrackReader& reader, const std::string& path,
                                                           size_t held) const {
    auto clip = std::make_shared<ClipTrack>();
    clip->path = path;
    ClipReading reading;
    std::string reason;
    const NativeTrackReader::Result result = reader.readClip(path, reading, reason);
    clip->format = reading.format();
    clip->carEvent = CarEventOfClip::find(path);
    if (!NativeTrackReader::gaveTrack(result)) {
        // A parked car's clip without data of its own is placed where the car said.
        if (clip->carEvent && reason == IndexedTrackReader::kNoData &&
            CarEventOfClip::place(path, *clip->carEvent, clip->samples)) {
            clip->note = "placed at the position the car gave for its event (the clip holds none)";
            clip->figures.startClip();
            clip->figures.add(clip->samples.front(), zone_);
            return clip;
        }
        clip->problem = reason.empty() ? std::string("cannot be read") : reason;
        return clip;
    }
    if (result == NativeTrackReader::Result::Truncated) clip->note = reason;
    clip->order = reading.telemetry.orderProblem();
    // The figures are the whole clip's; what is kept may be thinned.
    clip->figures.startClip();
    for (const TelemetrySample& sample : reading.telemetry.samples) clip->figures.add(sample, zone_);
    clip->samples = std::move(reading.telemetry.samples);
    reading.clear();
    if (clip->carEvent) CarEventOfClip::place(path, *clip->carEvent, clip->samples);
    thin(*clip, held < kRecordBudget ? kRecordBudget - held : 0);
    return clip;
}

void PlaylistIndexer::run() {
    // Playback and the window come first: this thread only makes the trips
    // appear sooner. Linux gives each thread its own nice value.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNice);
    openIndex();
    IndexedTrackReader reader(index_.get());
    reader.setStopFlag(&stopRead_);
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
            size_t held = 0;
            for (const auto& [readPath, readClipTrack] : read_) held += readClipTrack->samples.size();
            lock.unlock();
            std::shared_ptr<const ClipTrack> clip = readClip(reader, path, held);
            const std::string trouble = reader.indexProblem();
            if (!trouble.empty()) logLine("track index no longer used, clips are read directly: " + trouble);
            if (index_ != nullptr)
                if (const std::string notice = index_->notice(); !notice.empty()) logLine(notice);
            lock.lock();
            if (stopping_) break;
            // The list may have changed meanwhile; a clip no longer listed is dropped.
            if (listed_.count(path)) read_[path] = std::move(clip);
            changed_ = true;
            wantSnapshot = isCurrent || nextToRead().empty() ||
                           Clock::now() - lastSnapshot >= std::chrono::milliseconds(kPublishIntervalMs);
        }
        Update update;
        update.done = read_.size();
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
            update.trips = TripSet::build(std::move(clips), events_, zone_);
            lastSnapshot = Clock::now();
        }
        listener_(update);
        lock.lock();
    }
}
