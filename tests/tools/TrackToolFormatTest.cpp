// The tool's text handling: escaping of outside names for each format and
// the writers' treatment of invalid or implausible records and tracks too
// short for a line.
#include "platform/ChildProcess.h"
#include "support/TempFolder.h"
#include "track/TelemetryRecords.h"
#include "trackfile/FixedDecimal.h"
#include "trackfile/TrackTextEscape.h"
#include "trackfile/TrackWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <charconv>
#include <cmath>
#include <random>
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

// The camera's texts as the converter gives them: no moments in the clip.
std::vector<TelemetrySample> samplesOf(const std::vector<TrackRecord>& records) {
    std::vector<TelemetrySample> samples;
    for (const TrackRecord& r : records) samples.push_back(telemetrySampleOf(r));
    return samples;
}

std::string written(TrackFormat format, const std::string& file, const std::vector<TrackRecord>& records,
                    int utcOffsetSeconds = 0) {
    auto writer = makeTrackWriter(format, utcOffsetSeconds);
    std::string out;
    writer->begin(out);
    writer->clipMoments(false);
    writer->track(out, file, samplesOf(records));
    writer->end(out);
    return out;
}

}  // namespace

TEST(TrackTextEscape, NamesBecomeSafeTextInEveryFormat) {
    EXPECT_EQ(csvField("plain.mp4"), "plain.mp4");
    EXPECT_EQ(csvField("a,b \"c\".mp4"), "\"a,b \"\"c\"\".mp4\"");
    EXPECT_EQ(csvField("line\nbreak\x7F"), "line\\x0Abreak\\x7F");
    EXPECT_EQ(csvField(" lead"), "\" lead\"");
    // Spreadsheets must not take a name for a formula.
    EXPECT_EQ(csvField("=HYPERLINK(1)"), "'=HYPERLINK(1)");
    EXPECT_EQ(csvField("-2+3.mp4"), "'-2+3.mp4");
    EXPECT_EQ(csvField("@SUM"), "'@SUM");
    EXPECT_EQ(csvField("\tx"), "'\\x09x");
    EXPECT_EQ(csvField("\rx"), "'\\x0Dx");
    EXPECT_EQ(csvField("+a,b"), "\"'+a,b\"");
    EXPECT_EQ(csvField("a=b-c"), "a=b-c");

    // Bytes that are not UTF-8: stray continuation, overlong '/', surrogate, cut sequence.
    EXPECT_EQ(validUtf8("ok \xE8\xA1\x8C \x80|\xC0\xAF|\xED\xA0\x80|\xE8\xA1"),
              "ok \xE8\xA1\x8C \xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
              "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(xmlText("a&b<c>\"d\"'e'\x01\n"), "a&amp;b&lt;c&gt;&quot;d&quot;&apos;e&apos;\xEF\xBF\xBD&#10;");
    EXPECT_EQ(jsonString("a\"b\\c\n\x01\xFF"), "\"a\\\"b\\\\c\\n\\u0001\xEF\xBF\xBD\"");
    // Non-characters XML 1.0 cannot hold; an emoji stays.
    EXPECT_EQ(xmlText("\xEF\xBF\xBE|\xEF\xBF\xBF|\xEF\xB7\x90|\xF0\x9F\xBF\xBE|\xF4\x8F\xBF\xBF|\xF0\x9F\x98\x80"),
              "\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD|\xF0\x9F\x98\x80");
}

TEST(TrackWriter, XmlFormatsStayWellFormedForAnyName) {
    testing_support::TempFolder tmp;
    const std::vector<std::string> names{"c0 \x01\x08\x0B\x1F",
                                         "fffe \xEF\xBF\xBE",
                                         "ffff \xEF\xBF\xBF",
                                         "fdd0 \xEF\xB7\x90",
                                         "plane \xF3\xBF\xBF\xBF",
                                         "bad \xC0\xAF\xFF",
                                         "markup <a href='x'>&amp;</a> ]]>"};
    for (const TrackFormat format : {TrackFormat::Gpx, TrackFormat::Kml}) {
        auto writer = makeTrackWriter(format);
        std::string out;
        writer->begin(out);
        for (const std::string& name : names) writer->track(out, name, samplesOf({at(1, 2), at(1.1, 2.1)}));
        writer->end(out);
        const std::string file = tmp.write(format == TrackFormat::Gpx ? "t.gpx" : "t.kml", out);
        platform::ChildProcess xmllint;
        platform::ChildProcess::Options options;
        options.mergeStderrIntoStdout = true;
        ASSERT_EQ(xmllint.start({"/usr/bin/xmllint", "--noout", file}, options), 0);
        xmllint.closeStdin();
        std::string complaint;
        char buffer[4096];
        for (ssize_t n; (n = ::read(xmllint.stdoutFd(), buffer, sizeof buffer)) > 0;)
            complaint.append(buffer, size_t(n));
        EXPECT_EQ(xmllint.waitFor(std::chrono::seconds(30)).value_or(-1), 0) << complaint;
    }
}

// A camera's own clock is made UTC with the zone given; without one its
// times keep no Z in every format, GPX and KML say why and stay valid XML.
// GPS times are UTC either way.
TEST(TrackWriter, ACameraClockIsMadeUtcWithItsZoneOrWrittenWithoutOneAndSaidSo) {
    const std::vector<TrackRecord> records{at(22.5, 113.9), at(22.6, 114.0)};
    const auto written = [&](TrackFormat format, int offset, bool known, bool utc) {
        auto writer = makeTrackWriter(format, offset, known);
        std::string out;
        writer->begin(out);
        writer->clipClock(utc);
        writer->track(out, "a.mp4", samplesOf(records));
        writer->end(out);
        return out;
    };
    const std::string zoned = written(TrackFormat::Gpx, 3600, true, false);
    EXPECT_NE(zoned.find("<time>2016-05-20T09:30:15Z</time>"), std::string::npos) << zoned;
    EXPECT_EQ(zoned.find("<metadata>"), std::string::npos);
    const std::string unknown = written(TrackFormat::Gpx, 0, false, false);
    EXPECT_NE(unknown.find("<time>2016-05-20T10:30:15</time>"), std::string::npos) << unknown;
    EXPECT_NE(unknown.find("version=\"1.1\" creator=\"veltara-track\" xmlns=\"http://www.topografix.com/GPX/1/1\" "),
              std::string::npos);
    EXPECT_NE(unknown.find("\">\n  <metadata>\n    <desc>Times with a Z are UTC from GPS. Times without a zone are "
                           "the camera's own clock"),
              std::string::npos)
        << unknown;
    EXPECT_NE(written(TrackFormat::Gpx, 0, false, true).find("<time>2016-05-20T10:30:15Z</time>"), std::string::npos);

    const std::string kml = written(TrackFormat::Kml, 0, false, false);
    EXPECT_NE(kml.find("<when>2016-05-20T10:30:15</when>"), std::string::npos) << kml;
    EXPECT_NE(kml.find("<description>Times with a Z are UTC from GPS."), std::string::npos) << kml;
    EXPECT_NE(written(TrackFormat::Kml, 3600, true, false).find("<when>2016-05-20T09:30:15Z</when>"),
              std::string::npos);
    EXPECT_NE(written(TrackFormat::GeoJson, 0, false, false).find("\"coordTimes\":[\"2016-05-20T10:30:15\","),
              std::string::npos);
    EXPECT_NE(written(TrackFormat::Csv, 0, false, false).find(",2016-05-20T10:30:15,"), std::string::npos);
    EXPECT_NE(written(TrackFormat::Csv, 0, false, true).find(",2016-05-20T10:30:15Z,"), std::string::npos);

    testing_support::TempFolder tmp;
    for (const std::string& file : {tmp.write("u.gpx", unknown), tmp.write("u.kml", kml)}) {
        platform::ChildProcess xmllint;
        ASSERT_EQ(xmllint.start({"/usr/bin/xmllint", "--noout", file}), 0);
        xmllint.closeStdin();
        EXPECT_EQ(xmllint.waitFor(std::chrono::seconds(30)).value_or(-1), 0) << file;
    }
}

TEST(TrackWriter, GeometryFormatsSkipInvalidRecordsAndShortLines) {
    TrackRecord invalid = at(50, 50);
    invalid.valid = false;
    const std::vector<TrackRecord> line{at(22.5, 113.9), invalid, at(22.6, 114.0)};

    const std::string gpx = written(TrackFormat::Gpx, "a&b.mp4", line);
    EXPECT_NE(gpx.find("<trkpt lat=\"22.500000\" lon=\"113.900000\"><time>2016-05-20T10:30:15Z</time>"
                       "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>12.089</gpxtpx:speed>"
                       "</gpxtpx:TrackPointExtension><veltara:speed_kmh>43.522</veltara:speed_kmh><veltara:accel_x>12"
                       "</veltara:accel_x><veltara:accel_y>-3</veltara:accel_y><veltara:accel_z>98</veltara:accel_z>"
                       "</extensions>"),
              std::string::npos);
    EXPECT_EQ(gpx.find("50.000000"), std::string::npos);

    const std::string kml = written(TrackFormat::Kml, "k.mp4", line);
    EXPECT_NE(
        kml.find(
            "<gx:Track>\n      <when>2016-05-20T10:30:15Z</when>\n      <when>2016-05-20T10:30:15Z</when>\n"
            "      <gx:coord>113.900000 22.500000 0</gx:coord>\n      <gx:coord>114.000000 22.600000 0</gx:coord>"),
        std::string::npos);
    EXPECT_EQ(written(TrackFormat::Kml, "k.mp4", {at(1, 2)}).find("<LineString>"), std::string::npos);

    EXPECT_EQ(written(TrackFormat::GeoJson, "g\".mp4", line),
              "{\"type\":\"FeatureCollection\",\"features\":[\n"
              "{\"type\":\"Feature\",\"properties\":{\"file\":\"g\\\".mp4\",\"records\":3,\"valid_records\":2,"
              "\"coordTimes\":[\"2016-05-20T10:30:15Z\",\"2016-05-20T10:30:15Z\"]},\"geometry\":{\"type\":"
              "\"LineString\",\"coordinates\":[[113.900000,22.500000],[114.000000,22.600000]]}}"
              "\n]}\n");
    EXPECT_NE(written(TrackFormat::GeoJson, "g.mp4", {at(1, 2)}).find("\"geometry\":null}"), std::string::npos);
}

TEST(TrackWriter, ImplausibleTimesAndPositionsStayOutOfGeometryButShowInCsv) {
    TrackRecord month13 = at(22.7, 114.1), offGlobe = at(95.0, 200.0);
    month13.month = 13;
    const std::vector<TrackRecord> records{at(22.5, 113.9), month13, offGlobe};

    const std::string gpx = written(TrackFormat::Gpx, "a.mp4", records, 8 * 3600);
    EXPECT_NE(gpx.find("<time>2016-05-20T02:30:15Z</time>"), std::string::npos);  // camera clock at UTC+8
    EXPECT_NE(gpx.find("<trkpt lat=\"22.700000\" lon=\"114.100000\"><extensions>"), std::string::npos);
    EXPECT_EQ(gpx.find("95.000000"), std::string::npos);
    // Without a time for every point the route is a plain line.
    const std::string kml = written(TrackFormat::Kml, "a.mp4", records);
    EXPECT_NE(kml.find("<coordinates>113.900000,22.500000 114.100000,22.700000</coordinates>"), std::string::npos);
    EXPECT_NE(written(TrackFormat::GeoJson, "a.mp4", records).find("\"coordTimes\":[\"2016-05-20T10:30:15Z\",null]"),
              std::string::npos);

    const std::string csv = written(TrackFormat::Csv, "a.mp4", records);
    EXPECT_NE(csv.find("a.mp4,1,,1,,,,,,,22.700000,114.100000,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",95.000000,200.000000,43.522,12,-3,98,95.000000,200.000000,0,"), std::string::npos);
    EXPECT_NE(csv.find("a.mp4,0,,1,2016,5,20,10,30,15,22.500000,113.900000,43.522,12,-3,98,22.500000,113.900000,1,"
                       "2016-05-20T10:30:15Z,-5.964,-6.009,-5.706,camera-text,,,,,,,\n"),
              std::string::npos);
}

TEST(TrackWriter, AReadingTheMomentLacksIsLeftOutAndFractionsOfASecondAreKept) {
    // Ten fixes a second; between them moments of G alone (no fix, no speed)
    // and one fix without a G reading.
    std::vector<TrackRecord> records;
    for (int i = 0; i < 3; ++i) {
        TrackRecord fix = at(22.5 + i * 0.001, 113.9);
        fix.millisecond = static_cast<uint16_t>(i * 100);
        fix.hasAccel = i != 2;
        records.push_back(fix);
        TrackRecord gOnly = at(0, 0);
        gOnly.hasFix = gOnly.hasSpeed = false;
        gOnly.millisecond = static_cast<uint16_t>(i * 100 + 50);
        records.push_back(gOnly);
    }

    const std::string gpx = written(TrackFormat::Gpx, "a.mp4", records);
    std::vector<std::string> times;
    for (size_t at = gpx.find("<time>"); at != std::string::npos; at = gpx.find("<time>", at + 1))
        times.push_back(gpx.substr(at + 6, gpx.find("</time>", at) - at - 6));
    EXPECT_EQ(times, (std::vector<std::string>{"2016-05-20T10:30:15.000Z", "2016-05-20T10:30:15.100Z",
                                               "2016-05-20T10:30:15.200Z"}));
    EXPECT_EQ(gpx.find("0.000000"), std::string::npos);
    EXPECT_NE(gpx.find("<veltara:speed_kmh>43.522</veltara:speed_kmh></extensions>"), std::string::npos);
    EXPECT_NE(written(TrackFormat::Kml, "a.mp4", records).find("<when>2016-05-20T10:30:15.100Z</when>"),
              std::string::npos);
    EXPECT_NE(written(TrackFormat::GeoJson, "a.mp4", records).find("\"2016-05-20T10:30:15.200Z\""), std::string::npos);

    const std::string csv = written(TrackFormat::Csv, "a.mp4", records);
    EXPECT_NE(csv.find("a.mp4,1,,0,2016,5,20,10,30,15,,,,12,-3,98,,,0,2016-05-20T10:30:15.050Z,-5.964,"),
              std::string::npos);
    EXPECT_NE(csv.find("a.mp4,4,,1,2016,5,20,10,30,15,22.502000,113.900000,43.522,,,,22.502000,113.900000,1,"
                       "2016-05-20T10:30:15.200Z,,,,camera-text,,,,,,,\n"),
              std::string::npos);
    // A track of whole seconds keeps them.
    EXPECT_NE(written(TrackFormat::Csv, "b.mp4", {at(22.5, 113.9)}).find(",2016-05-20T10:30:15Z,"), std::string::npos);
    // Rows after midnight have the next day's date, shown and in UTC.
    TrackRecord late = at(22.5, 113.9), early = late;
    late.hour = 23, late.minute = 59, late.second = 59;
    early.day = 21, early.hour = 0, early.minute = 0, early.second = 1;
    const std::string night = written(TrackFormat::Csv, "n.mp4", {late, early, late}, 1800);
    EXPECT_NE(night.find("n.mp4,1,,1,2016,5,21,0,0,1,"), std::string::npos) << night;
    EXPECT_NE(night.find(",2016-05-20T23:30:01Z,"), std::string::npos);
    EXPECT_NE(night.find("n.mp4,2,,1,2016,5,20,23,59,59,"), std::string::npos);
    EXPECT_NE(night.find(",2016-05-20T23:29:59Z,"), std::string::npos);
    // A moment without a date has no year 0.
    TrackRecord undated = at(22.5, 113.9);
    undated.year = undated.month = undated.day = undated.hour = undated.minute = undated.second = 0;
    EXPECT_NE(written(TrackFormat::Csv, "c.mp4", {undated}).find("c.mp4,0,,1,,,,,,,22.500000,"), std::string::npos);
}

// An hour of track goes out in chunks that add up to the text written whole.
TEST(TrackWriter, ALongTrackGoesOutInChunksThatAddUpToTheWholeText) {
    std::vector<TrackRecord> records;
    for (int i = 0; i < 6000; ++i) records.push_back(at(22.5 + i * 1e-5, 113.9));
    const std::vector<TelemetrySample> samples = samplesOf(records);
    for (const TrackFormat format : {TrackFormat::Csv, TrackFormat::Gpx}) {
        auto writer = makeTrackWriter(format);
        writer->clipMoments(false);
        std::string chunks;
        size_t flushes = 0;
        writer->setFlush([&](std::string& text) {
            ++flushes;
            chunks += text;
            text.clear();
        });
        std::string out;
        writer->begin(out);
        writer->track(out, "a.mp4", samples);
        writer->end(out);
        EXPECT_GE(flushes, 2u);
        EXPECT_EQ(chunks + out, written(format, "a.mp4", records));
    }
}

TEST(FixedDecimal, WritesWhatToCharsWritesHalvesAndSignsIncluded) {
    const auto same = [](double value, int decimals) {
        char expected[400], got[400];
        const auto wanted =
            std::to_chars(expected, expected + sizeof expected, value, std::chars_format::fixed, decimals);
        char* end = writeFixedDecimal(got, got + sizeof got, value, decimals);
        ASSERT_NE(end, nullptr) << value;
        EXPECT_EQ(std::string(got, end), std::string(expected, wanted.ptr)) << value << " with " << decimals;
    };
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0), small(-2.0, 2.0);
    for (int i = 0; i < 20000; ++i) {
        const int decimals = i % 10;
        same(degrees(random), decimals);
        same(small(random), decimals);
        // Halves of the last decimal, exact and one unit either side.
        const double half = (std::floor(degrees(random) * 1000) + 0.5) / 1000;
        for (const double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e9)}) same(v, 3);
        same(std::ldexp(static_cast<double>(random() >> 11), -int(random() % 60)), decimals);
    }
    for (const double v : {0.0, -0.0, -1e-9, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, 4503599627370495.5, 1e300, 5e-324})
        for (int decimals = 0; decimals <= 12; ++decimals) same(v, decimals);
    char tight[4];
    EXPECT_EQ(writeFixedDecimal(tight, tight + sizeof tight, 12.5, 2), nullptr);
}
