// One NMEA sentence: RMC and GGA of any talker read, anything doubtful refused.
#include "telemetry/NmeaSentence.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string withChecksum(const std::string& body) {
    unsigned sum = 0;
    for (const char c : body) sum ^= static_cast<unsigned char>(c);
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", sum);
    return "$" + body + "*" + hex;
}

}  // namespace

TEST(NmeaSentenceTest, ReadsRmcAndGgaOfAnyTalker) {
    NmeaSentence s;
    ASSERT_TRUE(s.parse(withChecksum("GNRMC,123519.25,A,4807.038,N,01131.000,W,022.4,084.4,230394,003.1,W") + "\r\n"));
    EXPECT_EQ(s.type(), NmeaSentence::Type::Rmc);
    EXPECT_TRUE(s.valid());
    EXPECT_EQ(s.timeOfDayMs(), (12 * 3600 + 35 * 60 + 19) * 1000 + 250);
    EXPECT_EQ(s.year(), 1994);
    EXPECT_NEAR(s.latitude(), 48.1173, 1e-9);
    EXPECT_NEAR(s.longitude(), -11.516666667, 1e-8);
    EXPECT_DOUBLE_EQ(s.knots(), 22.4);
    EXPECT_DOUBLE_EQ(s.courseDeg(), 84.4);
    int64_t utc = 0;
    ASSERT_TRUE(s.utcMs(utc));
    EXPECT_EQ(utc, 764426119250);

    ASSERT_TRUE(s.parse(withChecksum("BDGGA,123519,4807.038,S,01131.000,E,1,08,0.9,-5.4,M,46.9,M,,")));
    EXPECT_EQ(s.type(), NmeaSentence::Type::Gga);
    EXPECT_TRUE(s.valid());
    EXPECT_LT(s.latitude(), 0.0);
    EXPECT_DOUBLE_EQ(s.altitudeM(), -5.4);
    EXPECT_EQ(s.satellites(), 8);
    EXPECT_FALSE(s.utcMs(utc));  // no date in GGA

    // No fix yet: a sentence, but nothing to place.
    ASSERT_TRUE(s.parse(withChecksum("GPRMC,000001,V,,,,,,,010126,,,N")));
    EXPECT_FALSE(s.valid());
    EXPECT_FALSE(s.hasPosition());
    EXPECT_TRUE(s.hasDate());

    // Without the checksum only when the caller allows it.
    EXPECT_FALSE(s.parse("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,"));
    EXPECT_TRUE(s.parse("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,", false));
}

TEST(NmeaSentenceTest, RefusesWrongChecksumsAndImpossibleFields) {
    const std::string good = withChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,,");
    std::string wrong = good;
    wrong[wrong.size() - 1] = wrong[wrong.size() - 1] == '0' ? '1' : '0';
    const std::string refused[] = {
        wrong,
        good.substr(0, good.size() - 1),                                             // cut in the checksum
        good.substr(0, 30),                                                          // cut line
        withChecksum("GPGSV,3,1,11,03,03,111,00"),                                   // not a sentence the samples use
        withChecksum("GPRMC,123519,A,9100.000,N,01131.000,E,022.4,084.4,230394,,"),  // beyond 90 degrees
        withChecksum("GPRMC,123519,A,4860.000,N,01131.000,E,022.4,084.4,230394,,"),  // 60 minutes
        withChecksum("GPRMC,123519,A,4807.038,N,18100.000,E,022.4,084.4,230394,,"),  // beyond 180 degrees
        withChecksum("GPRMC,123519,A,nan,N,01131.000,E,022.4,084.4,230394,,"),
        withChecksum("GPRMC,123519,A,4807.038,X,01131.000,E,022.4,084.4,230394,,"),
        withChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,1e400,084.4,230394,,"),
        withChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,310226,,"),  // 31 February
        withChecksum("GPRMC,246000,A,4807.038,N,01131.000,E,022.4,084.4,230394,,"),
        withChecksum("GPGGA,123519,4807.038,N,01131.000,E,x,08,0.9,545.4,M,46.9,M,,"),
        "$",
        "$" + std::string(300, 'A'),
    };
    for (const std::string& text : refused) {
        NmeaSentence s;
        EXPECT_FALSE(s.parse(text)) << text;
        EXPECT_EQ(s.type(), NmeaSentence::Type::None);
    }
}
