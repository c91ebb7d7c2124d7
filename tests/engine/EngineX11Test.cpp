// The engine drawing into a window of ours through "-wid", as it draws into
// the program's video host. Needs an X server (the ctest runs it under
// xvfb-run); skipped without DISPLAY.
#include "support/EngineRun.h"
#include "support/ClipFactory.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <thread>

// Last: Xlib's macros (None, Bool, Status) clash with names in other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace std::chrono_literals;
using testing_support::EngineRun;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

class EngineX11 : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        window_ = XCreateSimpleWindow(display_, root_, 0, 0, kWidth, kHeight, 0, BlackPixel(display_, screen),
                                      BlackPixel(display_, screen));
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        XEvent event;
        do XNextEvent(display_, &event);
        while (event.type != MapNotify);

        testing_support::ClipSpec spec;
        spec.trackTexts = testing_support::cameraTrack(30);
        spec.durationSeconds = 3;
        clip_ = folder_.path() + "clip.mp4";
        ASSERT_EQ(testing_support::makeClip(clip_, spec), "");
    }

    void TearDown() override {
        if (!display_) return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }

    std::vector<Window> childrenOf(Window parent) {
        Window rootReturn, parentReturn, *children = nullptr;
        unsigned count = 0;
        std::vector<Window> out;
        if (XQueryTree(display_, parent, &rootReturn, &parentReturn, &children, &count)) {
            out.assign(children, children + count);
            if (children) XFree(children);
        }
        return out;
    }

    // Share of the window's pixels on screen that are not black, and how
    // many different colours they have.
    std::pair<double, size_t> pictureInWindow() {
        // Taken from the root window: the engine's window inside ours may
        // use another visual, whose pixels XGetImage of our window leaves undefined.
        XImage* image = XGetImage(display_, root_, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
        if (!image) return {0, 0};
        size_t lit = 0;
        std::set<unsigned long> colours;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y) & 0xffffff;
                if (pixel != 0) ++lit;
                colours.insert(pixel & 0xe0e0e0);  // near colours count once
            }
        XDestroyImage(image);
        return {static_cast<double>(lit) / (kWidth * kHeight), colours.size()};
    }

    void drawsIntoTheWindow(const std::string& videoOutput) {
        EngineRun run;
        ASSERT_TRUE(
            run.start({clip_, "-wid", std::to_string(window_), "-vo", videoOutput, "-slave", "-quiet", "-identify",
                       "-ao", "null", "-volume", "50", "-muteset", "0", "-sid", "0", "-idx", "-nokeepaspect"}));
        ASSERT_TRUE(run.next("Starting playback", 20s)) << run.errors();
        run.send("pause");

        // The first frames take a moment to reach the screen.
        std::pair<double, size_t> picture{0, 0};
        for (int i = 0; i < 50 && picture.first < 0.9; ++i) {
            std::this_thread::sleep_for(100ms);
            picture = pictureInWindow();
        }
        // The test pattern fills the whole window (-nokeepaspect), in colour.
        EXPECT_GT(picture.first, 0.9) << videoOutput;
        EXPECT_GE(picture.second, 6u) << videoOutput;

        // The engine's window inside ours leaves clicks and keys to us, so the
        // host sees the double-click that switches to full screen.
        const auto children = childrenOf(window_);
        ASSERT_FALSE(children.empty());
        for (const Window child : children) {
            XWindowAttributes attributes;
            ASSERT_TRUE(XGetWindowAttributes(display_, child, &attributes));
            EXPECT_EQ(attributes.all_event_masks & (ButtonPressMask | ButtonReleaseMask | KeyPressMask), 0)
                << videoOutput;
            EXPECT_EQ(attributes.do_not_propagate_mask, 0) << videoOutput;
        }

        run.send("quit");
        EXPECT_EQ(run.finish(10s), 0);
        XSync(display_, False);
        EXPECT_TRUE(childrenOf(window_).empty()) << "the engine's window outlived it";
    }

    testing_support::TempFolder folder_;
    std::string clip_;
    Display* display_ = nullptr;
    Window root_ = 0;
    Window window_ = 0;
};

TEST_F(EngineX11, SoftwareOutputDrawsIntoTheHostWindow) {
    drawsIntoTheWindow("directx:noaccel");
}

TEST_F(EngineX11, OpenGlOutputDrawsIntoTheHostWindow) {
    drawsIntoTheWindow("gl:yuv=2:force-pbo");
}

TEST_F(EngineX11, NullOutputOpensNoWindow) {
    const size_t before = childrenOf(root_).size();
    EngineRun run;
    ASSERT_TRUE(run.start({clip_, "-vo", "null", "-ao", "null", "-slave", "-quiet", "-identify"}));
    ASSERT_TRUE(run.next("Starting playback", 20s));
    std::this_thread::sleep_for(300ms);
    XSync(display_, False);
    EXPECT_EQ(childrenOf(root_).size(), before);
    run.send("quit");
    EXPECT_EQ(run.finish(10s), 0);
}

}  // namespace
