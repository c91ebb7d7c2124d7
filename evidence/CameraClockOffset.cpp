#include "evidence/CameraClockOffset.h"

#include <algorithm>
#include <cmath>

void CameraClockOffset::collect(int64_t creationSeconds, const std::vector<TelemetrySample>& samples,
                                std::vector<double>& differences) {
    // A clip without a creation time (0 in the file) has no camera clock to compare.
    if (creationSeconds <= 0) return;
    for (const TelemetrySample& s : samples) {
        if (s.timeKind != TelemetryTime::Utc || !s.fix) continue;
        const double camera = static_cast<double>(creationSeconds) + static_cast<double>(s.clipMs) / 1000.0;
        const double difference = camera - static_cast<double>(s.timeMs) / 1000.0;
        if (std::isfinite(difference)) differences.push_back(difference);
    }
}

CameraClockOffset CameraClockOffset::of(std::vector<double> differences) {
    CameraClockOffset offset;
    if (differences.empty()) return offset;
    std::sort(differences.begin(), differences.end());
    const size_t n = differences.size();
    offset.known = true;
    offset.samples = n;
    offset.medianSeconds = n % 2 == 1 ? differences[n / 2] : (differences[n / 2 - 1] + differences[n / 2]) / 2.0;
    offset.minSeconds = differences.front();
    offset.maxSeconds = differences.back();
    return offset;
}
