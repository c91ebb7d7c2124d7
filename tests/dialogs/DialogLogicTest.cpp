// The plain logic of the dialogs: which output names a language gets, how a
// configured value maps back to a row, the sound card texts and where the
// snapshot preview puts a picture.
#include "dialogs/OutputTable.h"
#include "dialogs/PictureFit.h"
#include "dialogs/SoundCardText.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view kNoBreakSpace = "\u00a0";

TEST(OutputTable, RussianNamesMatchTheEnglishRows) {
    const auto english = OutputTable::video("german.ini");
    const auto russian = OutputTable::video("russian.ini");
    // Exact file name only: another spelling is not Russian.
    EXPECT_EQ(OutputTable::video("Russian.ini")[8].displayName, english[8].displayName);
    // Same values in the same rows, each name with exactly one blank in front,
    // no-break spaces in rows 8 and 11 only.
    ASSERT_EQ(russian.size(), english.size());
    for (size_t i = 0; i < russian.size(); ++i) {
        EXPECT_EQ(english[i].value, russian[i].value) << i;
        EXPECT_TRUE(russian[i].displayName.starts_with(" ") && russian[i].displayName[1] != ' ') << i;
        EXPECT_EQ(russian[i].displayName.find(kNoBreakSpace) != std::string_view::npos, i == 8 || i == 11) << i;
    }
    const auto sound = OutputTable::sound("russian.ini");
    EXPECT_NE(sound[0].displayName.find(kNoBreakSpace), std::string_view::npos);
    EXPECT_EQ(sound[1].displayName.find(kNoBreakSpace), std::string_view::npos);
}

TEST(OutputTable, SharedValueOpensOnItsFirstRow) {
    const auto video = OutputTable::video("english.ini");
    EXPECT_EQ(OutputTable::indexOf(video, "gl:yuv=0:force-pbo"), 0);
    EXPECT_EQ(OutputTable::indexOf(video, "directx:noaccel"), 3);
    EXPECT_EQ(OutputTable::indexOf(video, "gl:yuv=0"), -1);
    EXPECT_EQ(OutputTable::at(video, -1), nullptr);
    EXPECT_EQ(OutputTable::at(video, 12), nullptr);
    EXPECT_TRUE(OutputTable::isDirectSound("DSound"));
    EXPECT_FALSE(OutputTable::isDirectSound("dsound:device=1"));
}

TEST(SoundCardText, OneBlankInFrontSingleBlanksInsideNoneAtTheEnd) {
    EXPECT_EQ(SoundCardText::tidy("   Built-in   Audio  Analog Stereo    "), " Built-in Audio Analog Stereo");
    EXPECT_EQ(SoundCardText::tidy("HDMI"), " HDMI");
    // Only the plain blank is touched.
    EXPECT_EQ(SoundCardText::tidy("a\u00a0\u00a0b\tc"), " a\u00a0\u00a0b\tc");
    // No text at all: the device still gets a row of its own.
    EXPECT_EQ(SoundCardText::itemText("    ", 3), " #3");
    EXPECT_EQ(SoundCardText::itemText("", 0), " #0");
    EXPECT_EQ(SoundCardText::itemText(" USB  Headset ", 2), " USB Headset");
}

TEST(PictureFit, KeepsTheShapeInsideTheArea) {
    EXPECT_EQ(PictureFit::fit(1920, 1080), (PictureRect{0, 0, 600, 337}));
    EXPECT_EQ(PictureFit::fit(640, 480), (PictureRect{75, 0, 525, 338}));
    EXPECT_EQ(PictureFit::fit(720, 576), (PictureRect{89, 0, 511, 338}));
    EXPECT_EQ(PictureFit::fit(2560, 1080), (PictureRect{0, 42, 600, 295}));
}

TEST(PictureFit, UnknownOrExtremeSizesStayInsideTheArea) {
    const PictureRect whole{0, 0, PictureFit::kAreaWidth, PictureFit::kAreaHeight};
    EXPECT_EQ(PictureFit::fit(0, 0), whole);
    EXPECT_EQ(PictureFit::fit(1920, 0), whole);
    EXPECT_EQ(PictureFit::fit(0, 1080), whole);
    for (const auto& [w, h] : {std::pair<uint32_t, uint32_t>{1, 4000000000u}, {4000000000u, 1}, {1, 1}}) {
        const PictureRect r = PictureFit::fit(w, h);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, PictureFit::kAreaWidth);
        EXPECT_LE(r.bottom, PictureFit::kAreaHeight);
        EXPECT_GE(r.width(), 0);
        EXPECT_GE(r.height(), 0);
    }
}

}  // namespace
