#include "vehicle/CarEventReader.h"
#include "vehicle/CarEventReason.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TempFolder;

TEST(CarEventReaderTest, ReadsTheCarsFileAndNumbersWrittenEitherWay) {
    const CarEvent e = CarEventReader::parse(
        "\xEF\xBB\xBF{ \"timestamp\": \"2026-12-07T09:15:42\", \"city\": \"K\\u00f6ln\", \"est_lat\": \"50.9375\","
        " \"est_lon\": 6.9603, \"reason\": \"sentry_aware_accel_0.41\", \"camera\": 5, \"extra\": [1, {\"a\": null}] "
        "}");
    EXPECT_EQ(e.problem, "");
    EXPECT_EQ(e.city, "K\xC3\xB6ln");
    ASSERT_TRUE(e.localSeconds && e.hasPlace() && e.camera);
    EXPECT_EQ(*e.localSeconds, 1796634942);  // 2026-12-07 09:15:42 as if UTC
    EXPECT_DOUBLE_EQ(*e.latitude, 50.9375);
    EXPECT_DOUBLE_EQ(*e.longitude, 6.9603);
    EXPECT_EQ(*e.camera, 5);
    EXPECT_EQ(CarEventReason::text(e.reason, true), "Sentry: the car was bumped (0.41)");
    EXPECT_EQ(CarEventReason::text("user_interaction_honk", false), "Saved by the horn");
    EXPECT_EQ(CarEventReason::text("new_reason_<b>", false), "new_reason_<b>");
    EXPECT_EQ(CarEventReason::text("", true), "Sentry event");
}

TEST(CarEventReaderTest, AHostileFileLosesOnlyThePartThatFailed) {
    TempFolder folder;
    // Missing, empty, a folder, huge: nothing but the problem.
    EXPECT_EQ(CarEventReader::readFile(folder.path() + "none.json").problem, "no event.json");
    EXPECT_NE(CarEventReader::readFile(folder.write("empty.json", "")).problem, "");
    EXPECT_NE(CarEventReader::readFile(folder.path()).problem, "");
    const std::string huge = "{\"reason\":\"" + std::string(CarEventReader::kMaxBytes, 'x') + "\"}";
    const CarEvent big = CarEventReader::readFile(folder.write("huge.json", huge));
    EXPECT_NE(big.problem, "");
    EXPECT_EQ(big.reason, "");

    // Not UTF-8, a position that is no place, numbers that are none, a time that is no moment.
    const CarEvent e = CarEventReader::parse(
        "{\"reason\":\"user_\xFF\",\"city\":\"Ulm\",\"est_lat\":\"north\",\"est_lon\":\"10\","
        "\"timestamp\":\"2026-02-30T09:15:42\",\"camera\":\"three\"}");
    EXPECT_EQ(e.reason, "");
    EXPECT_EQ(e.city, "Ulm");
    EXPECT_FALSE(e.latitude || e.longitude || e.localSeconds || e.camera);
    EXPECT_NE(e.problem.find("reason is not UTF-8"), std::string::npos);
    EXPECT_NE(e.problem.find("no place"), std::string::npos);
    EXPECT_FALSE(CarEventReader::parse("{\"est_lat\":\"91\",\"est_lon\":\"0\"}").hasPlace());
    EXPECT_FALSE(CarEventReader::parse("{\"est_lat\":\"0\",\"est_lon\":\"0\"}").hasPlace());
    EXPECT_FALSE(CarEventReader::parse("{\"est_lat\":\"1e999\",\"est_lon\":\"2\"}").hasPlace());

    // Control characters become spaces, long texts are cut at a character,
    // what came before a syntax error stands, nesting is bounded.
    const CarEvent c =
        CarEventReader::parse("{\"city\":\"a\\u0000b\\nc\",\"reason\":\"" + std::string(300, '\xC3') + "\"}");
    EXPECT_EQ(c.city, "a b c");
    const CarEvent cut =
        CarEventReader::parse("{\"city\":\"" + std::string(150, 'a') + std::string(100, 'o') + "\u00e9\"}");
    EXPECT_LE(cut.city.size(), CarEventReader::kMaxText);
    const CarEvent broken = CarEventReader::parse("{\"city\":\"Ulm\",\"reason\":\"honk");
    EXPECT_EQ(broken.city, "Ulm");
    EXPECT_NE(broken.problem, "");
    EXPECT_EQ(CarEventReader::parse("{\"x\":" + std::string(10000, '[')).city, "");
    EXPECT_NE(CarEventReader::parse("[1,2]").problem, "");
}

}  // namespace
