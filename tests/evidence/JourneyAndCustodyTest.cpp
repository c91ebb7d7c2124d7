// The pure pieces of the evidence folder: which clips make the journey and
// where each goes under originals/, and the custody log's lines with hostile
// names, appended only and chained.
#include "evidence/CustodyLog.h"
#include "evidence/JourneyClips.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(JourneyClips, TheDriveItsMomentsAndTheirPlaces) {
    // Three joined clips, a gap, one more; the stretch is in the second.
    const std::vector<StretchClip> channel = {
        {"/c/F/a", 60.0, 0.0}, {"/c/F/b", 60.0, 61.0}, {"/c/F/c", 60.0, 121.5}, {"/c/F/d", 60.0, 400.0}};
    EXPECT_EQ(JourneyClips::drive(channel, 1, 1), (std::pair<size_t, size_t>{0, 2}));
    const std::vector<StretchClip> unknown = {{"/c/F/a", 60.0, std::nullopt}, {"/c/F/b", 60.0, 61.0}};
    EXPECT_EQ(JourneyClips::drive(unknown, 1, 1), (std::pair<size_t, size_t>{1, 1})) << "an unknown start ends it";

    const std::vector<partners::ClipStamp> all = {{"/card/2016_0520_103000_0001F.MP4", 0},
                                                  {"/card/2016_0520_103000_0001R.MP4", 0},
                                                  {"/card/2016_0520_113000_0009R.MP4", 0}};
    EXPECT_EQ(JourneyClips::withMoments({"/card/2016_0520_103000_0001F.MP4"}, all),
              (std::vector<std::string>{"/card/2016_0520_103000_0001F.MP4", "/card/2016_0520_103000_0001R.MP4"}));

    std::vector<std::string> places;
    std::string reason;
    ASSERT_TRUE(JourneyClips::places({"/x/Front/0001.MP4", "/x/Back/0001.MP4", "/x/Front/0002.MP4"}, places, reason));
    EXPECT_EQ(places, (std::vector<std::string>{"Front/0001.MP4", "Back/0001.MP4", "0002.MP4"}));
    EXPECT_FALSE(JourneyClips::places({"/x/F/0001.MP4", "/y/F/0001.MP4"}, places, reason));
    EXPECT_NE(reason.find("share a name"), std::string::npos);
}

TEST(CustodyLog, HostileNamesStayInsideTheirStringAndLinesChain) {
    testing_support::TempFolder tmp;
    const int dir = ::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    CustodyEntry entry;
    entry.action = "acquired";
    entry.inputs = {{"/a\"},{\"name\":\"SHA256SUMS\",\"sha256\":\"" + std::string(64, 'f') + "\n\x01.MP4", "00"}};
    std::string reason;
    ASSERT_TRUE(CustodyLog::append(dir, entry, reason)) << reason;
    entry.action = "hashed";
    entry.outputs = {{"SHA256SUMS", std::string(64, 'a')}};
    ASSERT_TRUE(CustodyLog::append(dir, entry, reason)) << reason;
    const std::string log = tmp.read(CustodyLog::kName);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    EXPECT_NE(log.find("\\n\\u0001.MP4"), std::string::npos) << log;
    // The name that imitates an output is no output.
    EXPECT_EQ(CustodyLog::recordedOutput(dir, "acquired", "SHA256SUMS"), "");
    EXPECT_EQ(CustodyLog::recordedOutput(dir, "hashed", "SHA256SUMS"), std::string(64, 'a'));
    const VerifyChecks chain = CustodyLog::checkChain(dir);
    ASSERT_EQ(chain.size(), 1u);
    EXPECT_TRUE(chain[0].holds) << chain[0].detail;
    ::close(dir);
}
