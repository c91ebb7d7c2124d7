#include "trackfile/CsvTrackWriter.h"

#include "platform/CivilTime.h"
#include "track/TelemetryRecords.h"
#include "trackfile/FixedDecimal.h"
#include "trackfile/TrackTextEscape.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The chart's scale, on which the legacy count columns give the G-sensor.
constexpr GSensorScale kScale;

// The fields after "valid" that a sample without any reading leaves empty.
constexpr std::string_view kEmptyFields = ",,,,,,,,,,,,,,";
// The car's channels of a sample without them.
constexpr std::string_view kEmptyVehicleFields = ",,,,,,,";

// platform::civilMomentOf with the last day's date kept: a track's samples
// are nearly all of one day, and working out the date was a row's costliest
// arithmetic.
class CivilDays {
public:
    platform::CivilMoment of(int64_t ms) {
        platform::CivilMoment c = last_;
        const int64_t days = platform::splitDay(ms, c);
        if (!known_ || days != day_) {
            platform::civilFromDays(days, c.year, c.month, c.day);
            last_ = c;
            day_ = days;
            known_ = true;
        }
        return c;
    }

private:
    bool known_ = false;
    int64_t day_ = 0;
    platform::CivilMoment last_;
};

// Numbers go straight into the line: a long clip has tens of thousands.
class Line {
public:
    void integer(long long value) { end_ = std::to_chars(end_, limit(), value).ptr; }
    void decimal(double value, int decimals) {
        char* const written = writeFixedDecimal(end_, limit(), std::isfinite(value) ? value : 0.0, decimals);
        end_ = written ? written : end_;
    }
    // Every write stays inside the buffer; a row too long for it (no record
    // gives one) loses its end, never the memory after it.
    void separator() {
        if (end_ < limit()) *end_++ = ',';
    }
    // "YYYY-MM-DDThh:mm:ss[.mmm]Z" of milliseconds since 1970, years 0-9999;
    // without the Z when the time is no UTC.
    void timestamp(int64_t ms, bool fraction, bool utc, CivilDays& days) {
        if (limit() - end_ < 64) return;
        const platform::CivilMoment c = days.of(ms);
        const int64_t y = c.year, rest = c.secondOfDay, milli = c.millisecond;
        const int m = c.month, d = c.day;
        if (y < 0 || y > 9999) {
            text(platform::formatMilliseconds(ms, true, fraction));
            if (!utc && end_ > text_ && end_[-1] == 'Z') --end_;
            return;
        }
        two(y / 100), two(y % 100), *end_++ = '-', two(m), *end_++ = '-', two(d), *end_++ = 'T';
        two(rest / 3600), *end_++ = ':', two(rest / 60 % 60), *end_++ = ':', two(rest % 60);
        if (fraction) *end_++ = '.', *end_++ = static_cast<char>('0' + milli / 100), two(milli % 100);
        if (utc) *end_++ = 'Z';
    }
    void text(std::string_view t) {
        const size_t n = std::min(t.size(), static_cast<size_t>(limit() - end_));
        end_ = std::copy_n(t.begin(), n, end_);
    }
    std::string_view written() const { return {text_, static_cast<size_t>(end_ - text_)}; }

private:
    void two(int64_t v) {
        *end_++ = static_cast<char>('0' + v / 10);
        *end_++ = static_cast<char>('0' + v % 10);
    }
    char* limit() { return text_ + sizeof text_ - 1; }
    char text_[1024];
    char* end_ = text_;
};

// The car's channels, each empty where the car does not give it: the angle
// and the pedal with the precision they are recorded at, switches as 0/1,
// the gear's letter and the assistance's name.
void vehicleCells(Line& line, const VehicleChannels& v) {
    line.separator();
    if (v.steeringDeg) line.decimal(*v.steeringDeg, 2);
    line.separator();
    if (v.acceleratorPct) line.decimal(*v.acceleratorPct, 2);
    for (const std::optional<bool>& on : {v.brake, v.indicatorLeft, v.indicatorRight}) {
        line.separator();
        if (on) line.integer(*on ? 1 : 0);
    }
    line.separator();
    if (v.gear) line.text(vehicleGearName(*v.gear));
    line.separator();
    if (v.assist) line.text(driverAssistName(*v.assist));
}

}  // namespace

void CsvTrackWriter::begin(std::string& out) {
    out +=
        "file,index,time_ms,valid,year,month,day,hour,minute,second,latitude,longitude,speed_kmh,accel_x,accel_y,"
        "accel_z,map_latitude,map_longitude,plausible,utc,accel_x_g,accel_y_g,accel_z_g,format,steering_deg,"
        "accelerator_pct,brake,indicator_left,indicator_right,gear,assist\n";
}

void CsvTrackWriter::track(std::string& out, std::string_view file, std::span<const TelemetrySample> samples) {
    const std::string name = csvField(file);
    const std::string_view format = telemetryFormatName(format_);
    // One growth instead of twenty copies; with a flush the text never grows past a chunk.
    const size_t all = samples.size() * (name.size() + 256);
    out.reserve(out.size() + (flushing() ? std::min(all, kFlushBytes + 2048) : all));
    size_t index = 0;
    const bool fraction = trackHasFractions(samples, utcOffsetSeconds_);
    // A camera clock of no known zone is no UTC: written as it stands, without a Z.
    const bool utc = writesUtc();
    CivilDays shownDays, utcDays;
    for (const TelemetrySample& s : samples) {
        out += name;
        // The whole rest of the row in one buffer: an hour of track is tens
        // of thousands of rows, and this is most of the tool's time.
        Line line;
        line.separator();
        line.integer(static_cast<long long>(index));
        ++index;
        line.separator();
        if (clipMoments_) line.integer(s.clipMs);
        line.separator();
        const bool fix = trackHasFix(s);
        line.integer(fix ? 1 : 0);
        if (!hasAnyReading(s)) {
            line.text(kEmptyFields);
            line.text(",0,,,,,");
            line.text(format);
            line.text(kEmptyVehicleFields);
            out += line.written();
            out += '\n';
            continue;
        }
        // A moment without a date (none in the data, or one that cannot be
        // real) has empty date and time cells, not a year 0.
        int64_t seconds = 0;
        int millisecond = 0;
        const bool dated = trackShownTime(s, utcOffsetSeconds_, seconds, millisecond);
        if (dated) {
            const platform::CivilMoment c = shownDays.of(seconds * 1000);
            const int64_t rest = c.secondOfDay;
            for (const long long value : {static_cast<long long>(c.year), static_cast<long long>(c.month),
                                          static_cast<long long>(c.day), static_cast<long long>(rest / 3600),
                                          static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60)}) {
                line.separator();
                line.integer(value);
            }
        } else {
            line.text(",,,,,,");
        }
        // What the moment has no reading of stays empty, never 0.
        const bool accel = gSensor_ && s.hasAccel;
        line.separator();
        if (fix) line.decimal(s.latitude, 6);
        line.separator();
        if (fix) line.decimal(s.longitude, 6);
        line.separator();
        if (s.hasSpeed && std::isfinite(s.speedKmh)) line.decimal(s.speedKmh, 3);
        for (const float g : {s.accelX, s.accelY, s.accelZ}) {
            line.separator();
            if (accel) line.integer(gSensorCount(g, kScale));
        }
        double mapLatitude = s.latitude, mapLongitude = s.longitude;
        if (fix && conversion_ != TrackMapConversion::Copy) {
            // The page conversion the player's map line uses, point by point.
            TrackRecord point;
            point.valid = true;
            point.latitude = s.latitude;
            point.longitude = s.longitude;
            convertPage(conversion_, &point, 1);
            mapLatitude = point.mapLatitude;
            mapLongitude = point.mapLongitude;
        }
        line.separator();
        if (fix) line.decimal(mapLatitude, 6);
        line.separator();
        if (fix) line.decimal(mapLongitude, 6);
        line.separator();
        line.integer(dated && s.fix && trackPositionInRange(s) ? 1 : 0);
        line.separator();
        if (dated)
            line.timestamp((seconds - (utc ? utcOffsetSeconds_ : 0)) * 1000 + millisecond, fraction, utc, utcDays);
        for (const float g : {s.accelX, s.accelY, s.accelZ}) {
            line.separator();
            if (accel) line.decimal(g, 3);
        }
        line.separator();
        line.text(format);
        if (s.vehicle)
            vehicleCells(line, *s.vehicle);
        else
            line.text(kEmptyVehicleFields);
        out += line.written();
        out += '\n';
        flushLarge(out);
    }
}

void CsvTrackWriter::end(std::string&) {}

void CsvTrackWriter::clipFormat(TelemetryFormat format, bool gSensor) {
    format_ = format;
    gSensor_ = gSensor;
}
