#include "trackindex/TrackFigures.h"

#include "track/CameraTime.h"
#include "track/TelemetryRecords.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double TrackFigures::greatCircleMetres(double lat1, double lon1, double lat2, double lon2) {
    constexpr double rad = std::numbers::pi / 180.0;
    const double dLat = (lat2 - lat1) * rad, dLon = (lon2 - lon1) * rad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * EARTH_RADIUS_M * std::asin(std::min(1.0, std::sqrt(a)));
}

void TrackFigures::add(const TrackRecord& r, int64_t cueMs) {
    int64_t t = 0;
    if (!cameraSeconds(r, t)) return;
    addAt(t, r.hasFix && !(r.latitude == 0.0 && r.longitude == 0.0), r.latitude, r.longitude, r.hasSpeed, r.speed,
          cueMs);
}

void TrackFigures::add(const TelemetrySample& s, const DisplayZone& zone, bool momentKnown) {
    int64_t t = 0;
    if (!shownSeconds(s, zone, t)) return;
    addAt(t, s.fix && plausiblePosition(s.latitude, s.longitude), s.latitude, s.longitude, s.hasSpeed,
          std::max(0.0f, s.speedKmh), momentKnown ? s.clipMs : -1);
}

void TrackFigures::addAt(int64_t t, bool fix, double latitude, double longitude, bool hasSpeed, float speed,
                         int64_t cueMs) {
    if (!hasTime_) start_ = t;
    end_ = t;
    hasTime_ = true;

    if (!fix || !std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90.0 ||
        std::fabs(longitude) > 180.0)
        return;
    if (hasFix_) {
        const double metres = greatCircleMetres(lastLat_, lastLon_, latitude, longitude);
        const double seconds =
            cueMs >= 0 && lastCueMs_ >= 0
                ? std::max(0.001, (static_cast<double>(cueMs) - static_cast<double>(lastCueMs_)) / 1000.0)
                : static_cast<double>(std::max<int64_t>(1, t - lastFixTime_));
        if (clipStarts_ && metres / seconds * 3.6 > JUMP_SPEED_KMH) {
            ++jumps_;
            jumpMetres_ += metres;
        } else {
            if (metres / seconds * 3.6 > FIX_SPEED_LIMIT_KMH) return;
            distance_ += metres;
        }
    }
    if (!hasFix_) firstLat_ = latitude, firstLon_ = longitude, firstFixTime_ = t;
    clipStarts_ = false;
    hasFix_ = true;
    lastLat_ = latitude;
    lastLon_ = longitude;
    lastFixTime_ = t;
    lastCueMs_ = cueMs;
    ++fixes_;
    if (hasSpeed && std::isfinite(speed)) maxSpeed_ = std::max(maxSpeed_, static_cast<double>(speed));
}

void TrackFigures::append(const TrackFigures& clip) {
    if (!clip.hasTime_) return;
    if (!hasTime_) start_ = clip.start_;
    end_ = clip.end_;
    hasTime_ = true;
    if (!clip.hasFix_) return;
    // Only the clip's first fix meets the fixes before it: a jump, or driven
    // (at most the jump speed, so never over the fix speed limit).
    if (hasFix_) {
        const double metres = greatCircleMetres(lastLat_, lastLon_, clip.firstLat_, clip.firstLon_);
        const auto seconds = static_cast<double>(std::max<int64_t>(1, clip.firstFixTime_ - lastFixTime_));
        if (metres / seconds * 3.6 > JUMP_SPEED_KMH) {
            ++jumps_;
            jumpMetres_ += metres;
        } else {
            distance_ += metres;
        }
    } else {
        firstLat_ = clip.firstLat_, firstLon_ = clip.firstLon_, firstFixTime_ = clip.firstFixTime_;
    }
    distance_ += clip.distance_;
    jumps_ += clip.jumps_;
    jumpMetres_ += clip.jumpMetres_;
    fixes_ += clip.fixes_;
    maxSpeed_ = std::max(maxSpeed_, clip.maxSpeed_);
    hasFix_ = true;
    lastLat_ = clip.lastLat_;
    lastLon_ = clip.lastLon_;
    lastFixTime_ = clip.lastFixTime_;
    lastCueMs_ = clip.lastCueMs_;
    clipStarts_ = false;
}

double TrackFigures::averageSpeedKmh() const {
    const int64_t d = durationSeconds();
    return d > 0 ? distance_ / static_cast<double>(d) * 3.6 : 0.0;
}
