// The tool's text handling: escaping of outside names for each format and
// the writers' treatment of invalid records and tracks too short for a line.
#include "veltara-track/TrackTextEscape.h"
#include "veltara-track/TrackWriter.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TrackRecord at(double latitude, double longitude) {
    TrackRecord r;
    r.valid = true;
    r.year = 2016, r.month = 5, r.day = 20, r.hour = 10, r.minute = 30, r.second = 15;
    r.latitude = r.mapLatitude = latitude;
    r.longitude = r.mapLongitude = longitude;
    r.speed = 43.522f;
    r.accelX = 12, r.accelY = -3, r.accelZ = 98;
    return r;
}

std::string written(TrackFormat format, const std::string& file, const std::vector<TrackRecord>& records) {
    auto writer = makeTrackWriter(format);
    std::string out;
    writer->begin(out);
    writer->track(out, file, records);
    writer->end(out);
    return out;
}

}  // namespace

TEST(TrackTextEscape, NamesBecomeSafeTextInEveryFormat) {
    EXPECT_EQ(csvField("plain.mp4"), "plain.mp4");
    EXPECT_EQ(csvField("a,b \"c\".mp4"), "\"a,b \"\"c\"\".mp4\"");
    EXPECT_EQ(csvField("line\nbreak"), "\"line\nbreak\"");
    EXPECT_EQ(csvField(" lead"), "\" lead\"");

    // Bytes that are not UTF-8: stray continuation, overlong '/', surrogate, cut sequence.
    EXPECT_EQ(validUtf8("ok \xE8\xA1\x8C \x80|\xC0\xAF|\xED\xA0\x80|\xE8\xA1"),
              "ok \xE8\xA1\x8C \xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(xmlText("a&b<c>\"d\"'e'\x01\n"), "a&amp;b&lt;c&gt;&quot;d&quot;&apos;e&apos;\xEF\xBF\xBD&#10;");
    EXPECT_EQ(jsonString("a\"b\\c\n\x01\xFF"), "\"a\\\"b\\\\c\\n\\u0001\xEF\xBF\xBD\"");
}

TEST(TrackWriter, GeometryFormatsSkipInvalidRecordsAndShortLines) {
    TrackRecord invalid = at(50, 50);
    invalid.valid = false;
    const std::vector<TrackRecord> line{at(22.5, 113.9), invalid, at(22.6, 114.0)};

    const std::string gpx = written(TrackFormat::Gpx, "a&b.mp4", line);
    EXPECT_NE(gpx.find("<trkpt lat=\"22.500000\" lon=\"113.900000\"><time>2016-05-20T10:30:15</time>"
                       "<extensions><veltara:speed_kmh>43.522</veltara:speed_kmh><veltara:accel_x>12</veltara:accel_x>"
                       "<veltara:accel_y>-3</veltara:accel_y><veltara:accel_z>98</veltara:accel_z></extensions>"),
              std::string::npos);
    EXPECT_EQ(gpx.find("50.000000"), std::string::npos);

    const std::string kml = written(TrackFormat::Kml, "k.mp4", line);
    EXPECT_NE(kml.find("<coordinates>113.900000,22.500000 114.000000,22.600000</coordinates>"), std::string::npos);
    EXPECT_EQ(written(TrackFormat::Kml, "k.mp4", {at(1, 2)}).find("<LineString>"), std::string::npos);

    EXPECT_EQ(written(TrackFormat::GeoJson, "g\".mp4", line),
              "{\"type\":\"FeatureCollection\",\"features\":[\n"
              "{\"type\":\"Feature\",\"properties\":{\"file\":\"g\\\".mp4\",\"records\":3,\"valid_records\":2},"
              "\"geometry\":{\"type\":\"LineString\",\"coordinates\":[[113.900000,22.500000],[114.000000,22.600000]]}}"
              "\n]}\n");
    EXPECT_NE(written(TrackFormat::GeoJson, "g.mp4", {at(1, 2)}).find("\"geometry\":null}"), std::string::npos);
}
