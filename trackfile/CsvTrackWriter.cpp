#include "trackfile/CsvTrackWriter.h"

#include "track/TelemetryRecords.h"
#include "trackfile/TrackTextEscape.h"

#include <charconv>
#include <cmath>

namespace {

// The chart's scale, on which every layout's G-sensor reaches the records.
constexpr GSensorScale kScale;

// The fields after "valid" that an invalid record leaves empty.
constexpr std::string_view kEmptyFields = ",,,,,,,,,,,,,,";

// Numbers go straight into the line: a long clip has tens of thousands.
class Line {
public:
    void integer(long long value) { end_ = std::to_chars(end_, limit(), value).ptr; }
    void decimal(double value, int decimals) {
        const auto r =
            std::to_chars(end_, limit(), std::isfinite(value) ? value : 0.0, std::chars_format::fixed, decimals);
        end_ = r.ec == std::errc() ? r.ptr : end_;
    }
    void separator() { *end_++ = ','; }
    std::string_view text() const { return {text_, static_cast<size_t>(end_ - text_)}; }

private:
    char* limit() { return text_ + sizeof text_ - 1; }
    char text_[512];
    char* end_ = text_;
};

}  // namespace

void CsvTrackWriter::begin(std::string& out) {
    out +=
        "file,index,time_ms,valid,year,month,day,hour,minute,second,latitude,longitude,speed_kmh,accel_x,accel_y,"
        "accel_z,map_latitude,map_longitude,plausible,utc,accel_x_g,accel_y_g,accel_z_g,format\n";
}

void CsvTrackWriter::track(std::string& out, std::string_view file, std::span<const TrackRecord> records,
                           std::span<const int64_t> timesMs) {
    const std::string name = csvField(file);
    out.reserve(out.size() + records.size() * (name.size() + 256));  // one growth instead of twenty copies
    size_t index = 0;
    const bool fraction = trackHasFractions(records);
    for (const TrackRecord& r : records) {
        out += name;
        Line line;
        line.separator();
        line.integer(static_cast<long long>(index));
        line.separator();
        if (index < timesMs.size()) line.integer(timesMs[index]);
        ++index;
        line.separator();
        const bool fix = hasPositionFix(r);
        line.integer(fix ? 1 : 0);
        out += line.text();
        if (!r.valid) {
            out += kEmptyFields;
            out += ",0,,,,,";
            out += telemetryFormatName(format_);
            out += '\n';
            continue;
        }
        Line fields;
        for (const long long value :
             {static_cast<long long>(r.year), static_cast<long long>(r.month), static_cast<long long>(r.day),
              static_cast<long long>(r.hour), static_cast<long long>(r.minute), static_cast<long long>(r.second)}) {
            fields.separator();
            fields.integer(value);
        }
        // What the moment has no reading of stays empty, never 0.
        const bool accel = gSensor_ && r.hasAccel;
        fields.separator();
        if (fix) fields.decimal(r.latitude, 6);
        fields.separator();
        if (fix) fields.decimal(r.longitude, 6);
        fields.separator();
        if (r.hasSpeed) fields.decimal(r.speed, 3);
        for (const long long value :
             {static_cast<long long>(r.accelX), static_cast<long long>(r.accelY), static_cast<long long>(r.accelZ)}) {
            fields.separator();
            if (accel) fields.integer(value);
        }
        fields.separator();
        if (fix) fields.decimal(r.mapLatitude, 6);
        fields.separator();
        if (fix) fields.decimal(r.mapLongitude, 6);
        fields.separator();
        fields.integer(trackRecordPlausible(r) ? 1 : 0);
        out += fields.text();
        out += ',';
        out += trackTimestamp(r, utcOffsetSeconds_, fraction);
        Line axes;
        for (const int32_t count : {r.accelX, r.accelY, r.accelZ}) {
            axes.separator();
            if (accel) axes.decimal((count - kScale.zeroCount) / kScale.countsPerG, 3);
        }
        axes.separator();
        out += axes.text();
        out += telemetryFormatName(format_);
        out += '\n';
    }
}

void CsvTrackWriter::end(std::string&) {}

void CsvTrackWriter::clipFormat(TelemetryFormat format, bool gSensor) {
    format_ = format;
    gSensor_ = gSensor;
}
