// A car's camera folder through the real program: dropping TeslaCam/ lists
// its saved and sentry moments; the saved event stands in the event list in
// words with its city, and on the map at the place the car gave, the city as
// its tool tip; the sentry clip, which holds no data of its own, is placed
// on the map at its event's place.
#include "support/CarFolderTree.h"
#include "support/DumpFields.h"
#include "support/ProgramHarness.h"

#include <cmath>

using namespace std::chrono_literals;
using namespace program_harness;

namespace {

class CarFolderReview : public ProgramFixture {};

bool placedAt(const QJsonObject& d, double lat, double lon, const QString& label) {
    const QJsonArray places = d["trip"].toObject()["eventPlaces"].toArray();
    if (places.size() != 1) return false;
    const QJsonArray p = places[0].toArray();
    return std::abs(p[0].toDouble() - lat) < 1e-6 && std::abs(p[1].toDouble() - lon) < 1e-6 && p[2].toInt() == 3 &&
           p[3].toString() == label;
}

TEST_F(CarFolderReview, SavedAndSentryEventsInTheListAndOnTheMap) {
    ASSERT_EQ(testing_support::makeCarFolderTree(home.path()), "");
    writeSettings();
    ASSERT_TRUE(start()) << failure;
    ASSERT_TRUE(waitFor([](const QJsonObject& d) { return map(d)["loaded"].toBool(); }, 30s)) << text(dump);

    EXPECT_TRUE(driver.ask("drop " + home.path() + "TeslaCam")["ok"].toBool());
    const QString koeln = QString::fromUtf8("K\xC3\xB6ln <b>");
    ASSERT_TRUE(waitFor(
        [&](const QJsonObject& d) {
            return rows(d).size() == 2 && d["events"].toArray().size() == 1 && placedAt(d, 50.9375, 6.9603, koeln);
        },
        30s))
        << text(dump);
    EXPECT_EQ(rows(dump)[0].toObject()["name"].toString(), "Saved  2026-12-07 09:59:00  (2 cameras)");
    EXPECT_EQ(rows(dump)[1].toObject()["name"].toString(), "Sentry  2026-12-08 00:59:00  (1 camera)");
    const QJsonObject event = dump["events"].toArray()[0].toObject();
    EXPECT_EQ(event["clip"].toString(), "2026-12-07_09-59-00-front.mp4");
    EXPECT_EQ(event["kind"].toString(), "car");
    EXPECT_EQ(event["time_s"].toDouble(), 1.0);
    const QJsonArray lines = dump["trip"].toObject()["eventLines"].toArray();
    ASSERT_EQ(lines.size(), 2) << text(dump);
    EXPECT_EQ(lines[1].toString(), "09:59:01  Saved by the horn  " + koeln);

    // The sentry moment: no data of its own, placed where the car said.
    EXPECT_TRUE(driver.ask("activate 1")["ok"].toBool());
    ASSERT_TRUE(waitFor(
        [](const QJsonObject& d) {
            return d["trip"].toObject()["routePoints"].toInt() == 1 && placedAt(d, 48.4011, 9.9876, "Ulm");
        },
        30s))
        << text(dump);
    EXPECT_EQ(dump["trip"].toObject()["eventLines"].toArray()[1].toString(),
              "00:59:02  Sentry: something came close  Ulm");
    quitCleanly();
}

}  // namespace
