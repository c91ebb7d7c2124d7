// The plain logic of the dialogs: how a configured output value maps back
// to a row, the sound card texts and where the snapshot preview puts a
// picture.
#include "dialogs/OutputTable.h"
#include "dialogs/PictureFit.h"
#include "dialogs/SoundCardText.h"

#include <gtest/gtest.h>

namespace {

// Values of older files open on the row of the output the engine plays them
// with; anything else opens on none.
TEST(OutputTable, StoredValuesOpenOnTheRowOfTheirOutput) {
    const auto video = OutputTable::video();
    for (const char* x11 : {"directx:noaccel", "directx", "X11", "xv"})
        EXPECT_EQ(OutputTable::indexOf(video, x11), 0) << x11;
    for (const char* gl : {"gl:yuv=3:force-pbo", "gl:force-pbo", "GL2", "opengl", "gpu"})
        EXPECT_EQ(OutputTable::indexOf(video, gl), 1) << gl;
    for (const char* other : {"", "null", "sdl", ":gl"}) EXPECT_EQ(OutputTable::indexOf(video, other), -1) << other;

    const auto sound = OutputTable::sound();
    EXPECT_EQ(OutputTable::indexOf(sound, "win32"), 0);
    EXPECT_EQ(OutputTable::indexOf(sound, "DSound:device=2"), 1);
    EXPECT_EQ(OutputTable::indexOf(sound, "alsa"), 2);
    EXPECT_EQ(OutputTable::indexOf(sound, "pulse"), -1);
    EXPECT_EQ(OutputTable::at(video, -1), nullptr);
    EXPECT_EQ(OutputTable::at(video, 2), nullptr);
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
