#include "vehicle/CarFolder.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TempFolder;

std::string names(const CarMoment& m) {
    std::string text;
    for (const std::string& path : m.cameras) text += path.substr(path.find_last_of('/') + 1) + " ";
    return text;
}

TEST(CarFolderTest, ListsMomentsOfEveryCameraByGroupFromAnyLevelOfTheTree) {
    TempFolder drive;
    const std::string cam = drive.path() + "TeslaCam/";
    for (const char* camera : {"back", "front", "left_repeater", "right_repeater"})
        drive.write(std::string("TeslaCam/RecentClips/2026-12-07_09-16-00-") + camera + ".mp4", "");
    drive.write("TeslaCam/RecentClips/2026-12-07_09-15-00-front.mp4", "");
    drive.write("TeslaCam/RecentClips/notes.txt", "");
    // Six cameras; the back started a second later.
    for (const char* camera : {"front", "left_repeater", "right_repeater", "left_pillar", "right_pillar"})
        drive.write(std::string("TeslaCam/SavedClips/2026-12-07_10-00-00/2026-12-07_09-59-00-") + camera + ".mp4", "");
    drive.write("TeslaCam/SavedClips/2026-12-07_10-00-00/2026-12-07_09-59-01-back.mp4", "");
    drive.write("TeslaCam/SavedClips/2026-12-07_10-00-00/event.json", "{}");
    drive.write("teslacam/sentryclips/2026-12-08_01-00-00/2026-12-08_00-59-00-front.mp4", "");
    drive.write("TeslaCam/SentryClips/2026-12-08_02-00-00/2026-12-08_01-59-00-front.mp4", "");

    const std::vector<CarMoment> all = CarFolder::list(cam);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].group, CarFolderGroup::Recent);
    EXPECT_EQ(names(all[0]), "2026-12-07_09-15-00-front.mp4 ");
    EXPECT_EQ(names(all[1]),
              "2026-12-07_09-16-00-front.mp4 2026-12-07_09-16-00-back.mp4 2026-12-07_09-16-00-left_repeater.mp4 "
              "2026-12-07_09-16-00-right_repeater.mp4 ");
    EXPECT_EQ(all[2].group, CarFolderGroup::Saved);
    EXPECT_EQ(all[2].cameras.size(), 6u);
    EXPECT_EQ(all[2].eventFolder, cam + "SavedClips/2026-12-07_10-00-00/");
    EXPECT_EQ(all[3].group, CarFolderGroup::Sentry);

    // Below the top: one group, one event; the lower-case copy is not under TeslaCam/ here.
    EXPECT_EQ(CarFolder::list(cam + "RecentClips").size(), 2u);
    EXPECT_EQ(CarFolder::list(cam + "SentryClips/").size(), 1u);
    EXPECT_EQ(CarFolder::list(cam + "SavedClips/2026-12-07_10-00-00/").size(), 1u);
    EXPECT_EQ(CarFolder::list(drive.path() + "teslacam/sentryclips/2026-12-08_01-00-00").size(), 1u);
    EXPECT_TRUE(CarFolder::list(drive.path()).empty());

    EXPECT_TRUE(CarFolder::isCarFolder("/media/usb/TESLACAM/"));
    EXPECT_TRUE(CarFolder::isCarFolder("/media/usb/TeslaCam/SentryClips/2026-12-08_01-00-00"));
    EXPECT_FALSE(CarFolder::isCarFolder("/media/usb/DCIM/"));
    EXPECT_EQ(CarFolder::groupOf(cam + "SentryClips/x/2026-12-08_01-59-00-front.mp4"), CarFolderGroup::Sentry);
    EXPECT_EQ(CarFolder::groupOf(cam + "RecentClips/2026-12-07_09-15-00-front.mp4"), CarFolderGroup::Recent);
    EXPECT_FALSE(CarFolder::groupOf("/clips/2026-12-07_09-15-00-front.mp4"));
    EXPECT_EQ(CarFolder::eventFolderOf(cam + "SavedClips/e/a.mp4"), cam + "SavedClips/e/");
}

}  // namespace
