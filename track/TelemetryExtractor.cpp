#include "track/TelemetryExtractor.h"

#include "telemetry/ClipTelemetry.h"
#include "telemetry/TelemetryReaders.h"
#include "track/TelemetryMoment.h"
#include "track/TelemetryRecords.h"
#include "track/TrackEvents.h"
#include "track/TrackPage.h"

#include <algorithm>
#include <array>
#include <system_error>
#include <thread>
#include <utility>

// What one run owns; its worker touches nothing of a later run.
struct TelemetryExtractor::Run {
    uint64_t number = 0;
    std::string path;
    std::string partner;
    platform::MessageTarget* target = nullptr;
    TrackStore* store = nullptr;
    uint64_t generation = 0;
    TrackMapConversion conversion = TrackMapConversion::Copy;
    DisplayZone zone;
    OtherTrackHook otherTrack;
    std::mutex mutex;      // stop() against a page being published or a post
    bool stopped = false;  // under mutex
    std::atomic<bool> cancel{false};  // set with stopped: the reading gives up
    std::atomic<bool> finished{false};
    std::thread thread;
};

namespace {

// The record the views read of a moment; a moment without a G-sensor reading
// adds no point to the chart.
TrackRecord recordOf(const TelemetrySample& moment, const DisplayZone& zone) {
    TrackRecord record = trackRecordOf(moment, zone);
    record.hasAccel = moment.hasAccel;
    return record;
}

}  // namespace

TelemetryExtractor::TelemetryExtractor() = default;

TelemetryExtractor::~TelemetryExtractor() {
    stop();
    reapFinished(true);
}

void TelemetryExtractor::setTarget(platform::MessageTarget* target) {
    target_.store(target);
}

void TelemetryExtractor::setStore(TrackStore* store) {
    store_ = store;
}

void TelemetryExtractor::setConversion(TrackMapConversion conversion) {
    conversion_ = conversion;
}

void TelemetryExtractor::setDisplayZone(const DisplayZone& zone) {
    zone_ = zone;
}

void TelemetryExtractor::setOtherTrackHook(OtherTrackHook hook) {
    otherTrack_ = std::move(hook);
}

bool TelemetryExtractor::start(const std::string& path, const std::string& partner) {
    stop();
    auto run = std::make_unique<Run>();
    run->number = ++runs_;
    run->path = path;
    run->partner = partner;
    run->target = target_.load();
    run->store = store_;
    run->generation = store_ ? store_->generation() : 0;
    run->conversion = conversion_;
    run->zone = zone_;
    run->otherTrack = otherTrack_;
    run_.store(run->number);
    try {
        run->thread = std::thread(&TelemetryExtractor::work, this, std::ref(*run));
    } catch (const std::system_error&) {
        run_.store(0);
        return false;
    }
    current_ = std::move(run);
    return true;
}

void TelemetryExtractor::stop() {
    if (current_) {
        {
            std::lock_guard lock(current_->mutex);
            current_->stopped = true;
        }
        current_->cancel.store(true);
        retired_.push_back(std::move(current_));
    }
    run_.store(0);
    owns_.store(false);
    format_.store(TelemetryFormat::None);
    {
        std::lock_guard lock(liveMutex_);
        samples_.reset();
        live_ = TrackRecord{};
    }
    reapFinished(false);
}

void TelemetryExtractor::reapFinished(bool all) {
    auto finished = [all](const std::unique_ptr<Run>& run) {
        if (!all && !run->finished.load()) return false;
        if (run->thread.joinable()) run->thread.join();
        return true;
    };
    retired_.erase(std::remove_if(retired_.begin(), retired_.end(), finished), retired_.end());
}

void TelemetryExtractor::work(Run& run) {
    ClipTelemetry clip;
    std::string reason;
    bool opened = readTelemetryFile(run.path, clip, reason, &run.cancel);
    std::string trackPath = run.path;
    if ((!opened || clip.format == TelemetryFormat::None) && !run.partner.empty()) {
        ClipTelemetry partner;
        if (readTelemetryFile(run.partner, partner, reason, &run.cancel) && partner.format != TelemetryFormat::None) {
            clip = std::move(partner);
            trackPath = run.partner;
            opened = true;
        }
    }
    if (!opened || clip.format == TelemetryFormat::None || clip.format == TelemetryFormat::CameraText) {
        bool stopped = false;
        {
            std::lock_guard lock(run.mutex);
            stopped = run.stopped;
        }
        if (!stopped && run.otherTrack) run.otherTrack(run.number, trackPath);
        run.finished.store(true);
        return;
    }
    // Readers give clip order; a damaged clip must not break the searches.
    std::stable_sort(clip.samples.begin(), clip.samples.end(),
                     [](const TelemetrySample& a, const TelemetrySample& b) { return a.clipMs < b.clipMs; });
    auto samples = std::make_shared<const Samples>(std::move(clip.samples));
    {
        std::lock_guard lock(run.mutex);
        if (!run.stopped) {
            std::lock_guard live(liveMutex_);
            samples_ = samples;
            liveZone_ = run.zone;
            live_ = TrackRecord{};
            format_.store(clip.format);
            owns_.store(true);
        }
    }
    fillStore(run, *samples);
    run.finished.store(true);
}

void TelemetryExtractor::fillStore(Run& run, const Samples& samples) {
    int64_t count = 0;
    if (!samples.empty() && samples.back().clipMs >= 0)
        count = std::min(samples.back().clipMs / kRecordStepMs + 1, kMaxRecords);
    std::array<TrackRecord, TrackPage::kCapacity> page{};
    size_t filled = 0;
    int32_t pages = 0;
    const auto flush = [&]() {
        std::lock_guard lock(run.mutex);
        if (run.stopped || !run.store) return false;
        for (size_t i = 0; i < filled; ++i)
            if (!run.store->add(&page[i], run.generation)) return false;
        const TrackMapConversion conversion = run.conversion;
        const int published = run.store->publishPage(run.generation, pages, [conversion](TrackPage& p) {
            return convertPage(conversion, p.records(), p.count());
        });
        if (published != 1) return false;
        if (run.target) {
            run.target->postMessage(platform::WM_TRACK_EVENT, TRACK_BATCH_READY, 0);
            if (pages == 0) run.target->postMessage(platform::WM_TRACK_EVENT, TRACK_FIRST_BATCH_DONE, 0);
        }
        ++pages;
        filled = 0;
        return true;
    };
    for (int64_t k = 0; k < count; ++k) {
        TelemetrySample moment;
        page[filled++] =
            telemetryMomentAt(samples, k * kRecordStepMs, moment) ? recordOf(moment, run.zone) : TrackRecord{};
        if (filled == page.size() && !flush()) return;
    }
    if (filled > 0 && !flush()) return;
    if (pages == 0) post(run, TRACK_FIRST_BATCH_DONE);
}

void TelemetryExtractor::post(Run& run, uintptr_t code) {
    std::lock_guard lock(run.mutex);
    if (!run.stopped && run.target) run.target->postMessage(platform::WM_TRACK_EVENT, code, 0);
}

bool TelemetryExtractor::recordAt(int64_t clipMs, TrackRecord& record) const {
    std::shared_ptr<const Samples> samples;
    DisplayZone zone;
    {
        std::lock_guard lock(liveMutex_);
        samples = samples_;
        zone = liveZone_;
    }
    TelemetrySample moment;
    if (!samples || !telemetryMomentAt(*samples, clipMs, moment)) return false;
    record = recordOf(moment, zone);
    return true;
}

bool TelemetryExtractor::followPosition(int64_t clipMs, uintptr_t tag) {
    if (!owns_.load()) return false;
    TrackRecord record;
    const bool found = recordAt(clipMs, record);
    {
        std::lock_guard lock(liveMutex_);
        if (!samples_) return false;  // stopped meanwhile
        live_ = found ? record : TrackRecord{};
    }
    if (platform::MessageTarget* target = target_.load())
        target->postMessage(platform::WM_TRACK_LIVE, tag, found ? 1 : 0);
    return true;
}

TrackRecord TelemetryExtractor::liveRecord() const {
    std::lock_guard lock(liveMutex_);
    return live_;
}
