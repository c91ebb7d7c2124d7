#pragma once
// The figures of a stretch of track (a clip or a trip): start and end (the
// camera time of the first and last record with a real date and time),
// distance along the fixes, maximum and average speed. A fix is such a record
// whose position is not exactly 0 0' 0" on both axes (the camera's "no
// fix") and that implies at most 300 km/h from the previous fix. The time
// between two fixes of one clip is that of their cues when known (the camera
// clock counts whole seconds, and cameras write several texts a second),
// otherwise that of the camera clock, at least one second. The first fix of
// a clip that lies further from the last fix before it than a car could
// drive in between (JUMP_SPEED_KMH) is a jump: its distance is not driven,
// so it is kept apart, and the distance goes on from there. Records are fed
// in order, clip after clip, with startClip() before each clip; or each
// clip's own figures are appended in order, which gives the same figures
// without holding the records. A plain value; one thread.
#include "telemetry/DisplayZone.h"
#include "telemetry/TelemetrySample.h"
#include "track/TrackRecord.h"

#include <cstdint>

class TrackFigures {
public:
    static constexpr double EARTH_RADIUS_M = 6371008.8;
    static constexpr double FIX_SPEED_LIMIT_KMH = 300.0;
    static constexpr double JUMP_SPEED_KMH = 250.0;

    void startClip() {
        lastCueMs_ = -1;
        clipStarts_ = true;
    }
    // cueMs: the record's cue start in its clip, or -1.
    void add(const TrackRecord& record, int64_t cueMs = -1);
    // The same for a sample at its moment in the clip: its time as a record
    // shows it (UTC and creation times moved into zone, a camera clock as
    // recorded), a fix only where the position is a place; momentKnown false:
    // its clipMs says nothing (the converter's samples).
    void add(const TelemetrySample& sample, const DisplayZone& zone, bool momentKnown = true);
    // A clip's own figures (made from its records alone) after the clips
    // before: the same as adding its records after startClip().
    void append(const TrackFigures& clip);

    bool hasTime() const { return hasTime_; }
    int64_t startSeconds() const { return start_; }  // camera clock, seconds since 1970
    int64_t endSeconds() const { return end_; }
    int64_t durationSeconds() const { return hasTime_ ? end_ - start_ : 0; }
    double distanceMetres() const { return distance_; }
    double maxSpeedKmh() const { return maxSpeed_; }
    double averageSpeedKmh() const;
    int64_t fixes() const { return fixes_; }
    // Jumps between clips, left out of the distance.
    int64_t jumps() const { return jumps_; }
    double jumpMetres() const { return jumpMetres_; }

    static double greatCircleMetres(double lat1, double lon1, double lat2, double lon2);

private:
    // t: camera clock seconds of a real date and time.
    void addAt(int64_t t, bool fix, double latitude, double longitude, bool hasSpeed, float speed, int64_t cueMs);

    bool hasTime_ = false;
    int64_t start_ = 0;
    int64_t end_ = 0;
    bool hasFix_ = false;
    double firstLat_ = 0.0, firstLon_ = 0.0;  // the first fix, for append()
    int64_t firstFixTime_ = 0;
    double lastLat_ = 0.0, lastLon_ = 0.0;
    int64_t lastFixTime_ = 0;
    int64_t lastCueMs_ = -1;  // of the last fix, in the current clip
    double distance_ = 0.0;
    double maxSpeed_ = 0.0;
    int64_t fixes_ = 0;
    bool clipStarts_ = false;  // no fix of the current clip yet
    int64_t jumps_ = 0;
    double jumpMetres_ = 0.0;
};
