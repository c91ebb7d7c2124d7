#include "track/TrackParser.h"

#include <gtest/gtest.h>
#include <string>

namespace {

const std::string kExample = "2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50/23.5/X:12/Y:-3/Z:98";
const std::string kDateAndPosition = "2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50";

}  // namespace

TEST(TrackParser, ExampleTextGivesEveryField) {
    TrackParser p;
    ASSERT_TRUE(p.parse(kExample.c_str()));
    const TrackRecord& r = p.record();
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.year, 2016);
    EXPECT_EQ(r.month, 5);
    EXPECT_EQ(r.day, 20);
    EXPECT_EQ(r.hour, 10);
    EXPECT_EQ(r.minute, 30);
    EXPECT_EQ(r.second, 15);
    EXPECT_NEAR(r.longitude, 113.936761, 1e-6);
    EXPECT_EQ(r.longitudeHemisphere, 'E');
    EXPECT_EQ(r.longitudeDegrees, 113);
    EXPECT_EQ(r.longitudeMinutes, 56);
    EXPECT_FLOAT_EQ(r.longitudeSeconds, 12.34f);
    EXPECT_NEAR(r.latitude, 22.562361, 1e-6);
    EXPECT_EQ(r.latitudeHemisphere, 'N');
    EXPECT_NEAR(r.speed, 43.522, 1e-4);
    EXPECT_EQ(r.accelX, 12);
    EXPECT_EQ(r.accelY, -3);
    EXPECT_EQ(r.accelZ, 98);
}

TEST(TrackParser, WestAndSouthAreNegative) {
    TrackParser p;
    ASSERT_TRUE(p.parse("2016-05-20 10:30:15/W113 56 12.34/S22 33 44.50/23.5/X:12/Y:-3/Z:98"));
    EXPECT_NEAR(p.record().longitude, -113.936761, 1e-6);
    EXPECT_NEAR(p.record().latitude, -22.562361, 1e-6);
    EXPECT_EQ(p.record().longitudeHemisphere, 'W');
    EXPECT_EQ(p.record().latitudeHemisphere, 'S');
}

TEST(TrackParser, SubtitleCueAroundTheTextIsIgnored) {
    // How a cue arrives from the extraction: number, timing line, text, blank line.
    TrackParser p;
    ASSERT_TRUE(p.parse("1\n00:00:00,000 --> 00:00:01,000\n" + kExample + "\n\n"));
    EXPECT_EQ(p.record().year, 2016);
    EXPECT_EQ(p.record().accelZ, 98);
}

TEST(TrackParser, ShortOrUnslashedTextsAreInvalid) {
    TrackParser p;
    EXPECT_FALSE(p.parse("2016-05-20 10:30:15"));  // exactly 19
    EXPECT_FALSE(p.parse("2016-05-20 10:30:15 E113 56 12.34 N22 33 44.50"));
    EXPECT_FALSE(p.parse("16-05-20 10:30:15/E113 56 12.34/N22 33 44.50"));  // 17 in front of the slash
    EXPECT_FALSE(p.parse("2016-05-20 10:30:15/E113 56 12.34"));             // no slash after the longitude
    EXPECT_FALSE(p.parse(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(p.parse(""));
    EXPECT_FALSE(p.record().valid);
}

TEST(TrackParser, DateFields) {
    TrackParser p;
    ASSERT_TRUE(p.parse("abcd-05-20 10:30:15/E113 56 12.34/N22 33 44.50"));
    EXPECT_EQ(p.record().year, 0);
    EXPECT_FALSE(p.parse("    -05-20 10:30:15/E113 56 12.34/N22 33 44.50"));
    EXPECT_FALSE(p.parse("2016-ab-20 10:30:15/E113 56 12.34/N22 33 44.50"));
    EXPECT_FALSE(p.parse("2016-05-20 10:30:  /E113 56 12.34/N22 33 44.50"));
    // Separators may be anything but a slash; leading text is ignored.
    ASSERT_TRUE(p.parse("GPS 2016x05x20T10h30m15/E113 56 12.34/N22 33 44.50"));
    EXPECT_EQ(p.record().second, 15);
    ASSERT_TRUE(p.parse(" 201- 5-20 10:30:15/E113 56 12.34/N22 33 44.50"));
    EXPECT_EQ(p.record().year, 201);
    EXPECT_EQ(p.record().month, 5);
}

TEST(TrackParser, TextEndingAfterLatitudeKeepsSpeedAndAxesOfThePreviousParse) {
    TrackParser p;
    ASSERT_TRUE(p.parse(kExample));
    ASSERT_TRUE(p.parse("2017-01-02 03:04:05/E1 2 3/N4 5 6"));
    EXPECT_EQ(p.record().year, 2017);
    EXPECT_NEAR(p.record().latitude, 4 + (5 * 60 + 6) / 3600.0, 1e-9);
    EXPECT_NEAR(p.record().speed, 43.522, 1e-4);
    EXPECT_EQ(p.record().accelY, -3);
}

TEST(TrackParser, SpeedWithoutAxes) {
    TrackParser p;
    ASSERT_TRUE(p.parse(kDateAndPosition + "/10"));
    EXPECT_NEAR(p.record().speed, 18.52, 1e-4);
    // A slash after the speed promises the axes.
    EXPECT_FALSE(p.parse(kDateAndPosition + "/10/"));
    EXPECT_FALSE(p.parse(kDateAndPosition + "/10/X:1"));
    EXPECT_FALSE(p.parse(kDateAndPosition + "/10/X:1/Y:2"));
    EXPECT_TRUE(p.parse(kDateAndPosition + "/10/X:1/Y:2/Z:3/anything"));
    EXPECT_TRUE(p.parseLive(kDateAndPosition + "/10/"));
    EXPECT_NEAR(p.record().speed, 18.52, 1e-4);
}

TEST(TrackParser, SpeedThatIsNoNumberIsZeroButValid) {
    TrackParser p;
    for (const char* speed : {"fast", "", "nan", "inf", "-", "1e99", "3e38"}) {
        ASSERT_TRUE(p.parse(kExample));
        ASSERT_TRUE(p.parse(kDateAndPosition + "/" + speed + "/X:1/Y:2/Z:3")) << speed;
        EXPECT_EQ(p.record().speed, 0.0f) << speed;
    }
}

TEST(TrackParser, MalformedCoordinatesFail) {
    TrackParser p;
    const std::string date = "2016-05-20 10:30:15/";
    for (const char* lon : {"E 113 56 12.34", "E113 5612.34", "E11356 12.34", "N113 56 12.34", "e113 56 12.34", "",
                            "E113  56 12.34", "E113 56 ", "Ex 56 12.34"})
        EXPECT_FALSE(p.parse(date + lon + "/N22 33 44.50/1")) << lon;
    EXPECT_FALSE(p.parse(date + "E113 56 12.34/E22 33 44.50/1"));
    EXPECT_FALSE(p.parse(date + "E113 56 12.34/N22 33"));
}

TEST(TrackParser, AxisFields) {
    TrackParser p;
    for (const char* axes : {"X:/Y:2/Z:3", "X:1/Y:2/Z:", "Y:1/X:2/Z:3", "X:a/Y:2/Z:3", "X:1/Y:2/Q:3"})
        EXPECT_FALSE(p.parse(kDateAndPosition + "/1/" + axes)) << axes;
    ASSERT_TRUE(p.parse(kDateAndPosition + "/1/X= -7/Y:+8/Z:9g"));
    EXPECT_EQ(p.record().accelX, -7);
    EXPECT_EQ(p.record().accelY, 8);
    EXPECT_EQ(p.record().accelZ, 9);
}

TEST(TrackParser, PartsLongerThanSevenCharactersAreRefused) {
    TrackParser p;
    const std::string date = "2016-05-20 10:30:15/";
    EXPECT_TRUE(p.parse(date + "E0000113 56 12.3400/N22 33 44.50"));  // 7 and 7
    EXPECT_FALSE(p.parse(date + "E00000113 56 12.34/N22 33 44.50"));
    EXPECT_FALSE(p.parse(date + "E113 00000056 12.34/N22 33 44.50"));
    EXPECT_FALSE(p.parse(date + "E113 56 12.34000/N22 33 44.50"));
    EXPECT_FALSE(p.parse(date + "E113 56 12.34/N22 33 44.500000"));
    EXPECT_TRUE(p.parse(kDateAndPosition + "/1/X:1234567/Y:2/Z:3"));
    EXPECT_EQ(p.record().accelX, 1234567);
    EXPECT_FALSE(p.parse(kDateAndPosition + "/1/X:12345678/Y:2/Z:3"));
    EXPECT_FALSE(p.parse(kDateAndPosition + "/1/X:1/Y:2/Z:-1234567"));
    // The line end after the last field does not count.
    EXPECT_TRUE(p.parse(kDateAndPosition + "/1/X:1/Y:2/Z:-123456\r\n\r\n"));
    EXPECT_EQ(p.record().accelZ, -123456);
}

TEST(TrackParser, TextEndsAtItsFirstZeroByte) {
    TrackParser p;
    const std::string withNul = kDateAndPosition + std::string("\0/1/X:1/Y:2/Z:3", 16);
    ASSERT_TRUE(p.parse(std::string_view(withNul)));
    ASSERT_TRUE(p.parse(kExample));
    ASSERT_FALSE(p.parse(std::string_view(std::string("2016-05-20\0 10:30:15/E113 56 12.34/N22 33 44.50", 47))));
}

TEST(TrackParser, LiveFormNeedsOnlyDateAndPosition) {
    TrackParser p;
    ASSERT_TRUE(p.parse(kExample));
    ASSERT_TRUE(p.parseLive("2016-05-20 10:30:15/E113 56 12.34/N22 33 44.50/11/X:oops"));
    EXPECT_NEAR(p.record().speed, 20.372, 1e-4);
    EXPECT_EQ(p.record().accelX, 12);  // never read
    ASSERT_TRUE(p.parseLive(kDateAndPosition + "/slow"));
    EXPECT_EQ(p.record().speed, 0.0f);
    EXPECT_FALSE(p.parseLive("2016-05-20 10:30:15/E113 56 12.34/"));
}
