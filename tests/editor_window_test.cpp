// The editor in a real X window: opened in a parent window of ours, idled like a host
// does, painted by the drawing section, and driven by synthesised pointer events.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "gui/frame.h"
#include "vst2/vest_editor.h"
#include "tests/counting_effect.h"
#include "tests/display_turn.h"
#include "tests/x11_test_display.h"

namespace {

struct MouseSeen {
    double buttons, x, y;
};

// Paints the whole surface in one colour and the skin picture's top-left corner, and
// records the mouse state every frame.
class PaintingEffect : public TVexl {
public:
    PaintingEffect()
    {
        channelCount = 2;
        uniqueId = 1;
    }
    void DoReset() override
    {
        TVexl::DoReset();
        fileNameTable[0] = "tolvanger_gfx\\bg.png";
    }
    void DoInit() override { redrawRate = 30.0; }
    void DoGraphics() override
    {
        ++frames;
        seen.push_back({mouseButtons, mouseX, mouseY});
        FillRect(0, 0, 890, 550, DrawColour{0.2, 0.4, 0.6, 1});
        drawX = 400;
        drawY = 300;
        DrawImage(0);
    }
    int frames = 0;
    std::vector<MouseSeen> seen;
};

using Hosted = testing_support::HostedEffect<PaintingEffect>;

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::OpenWindowTestDisplay(turn, display);
        if (!display) return;
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 890, 550, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        p.Dispatch(effOpen);
        p.Dispatch(effMainsChanged, 0, 1);
    }
    void TearDown() override
    {
        if (!display) return;
        p.Dispatch(effEditClose);
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    CVeSTEditor* Editor() { return dynamic_cast<CVeSTEditor*>(p.host->getEditor()); }

    // Idles the editor like a host's GUI timer for the given time.
    void IdleFor(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            p.Dispatch(effEditIdle);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    unsigned long PixelOfEditor(int x, int y)
    {
        return testing_support::WindowPixel(display, static_cast<Window>(Editor()->frame()->WindowId()), x, y);
    }

    std::unique_ptr<testing_support::DisplayTurn> turn;
    Display* display = nullptr;
    Window parent = 0;
    Hosted p;
};

TEST_F(EditorWindow, OpensPaintsAndReopens)
{
    EXPECT_EQ(p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    ASSERT_TRUE(Editor()->frame());
    ASSERT_TRUE(Editor()->frame()->HasWindow());
    IdleFor(300);
    EXPECT_GT(p.effect->frames, 0);
    EXPECT_EQ(PixelOfEditor(10, 10), 0x336699u);
    const BitmapHolder* holder = p.effect->imageTable[0].holder;
    EXPECT_EQ(p.effect->imageTable[0].width, 890.0); // the skin from the library's resources

    p.Dispatch(effEditClose);
    const int framesWhenClosed = p.effect->frames;
    IdleFor(100);
    EXPECT_EQ(p.effect->frames, framesWhenClosed);

    EXPECT_EQ(p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    IdleFor(200);
    EXPECT_GT(p.effect->frames, framesWhenClosed);
    EXPECT_EQ(PixelOfEditor(20, 20), 0x336699u);
    EXPECT_EQ(p.effect->imageTable[0].holder, holder); // loaded once, reused
}

TEST_F(EditorWindow, RedrawsAtMostThirtyTimesASecond)
{
    p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent));
    IdleFor(100);
    const int before = p.effect->frames;
    IdleFor(1000);
    const int frames = p.effect->frames - before;
    EXPECT_GE(frames, 3); // a loaded machine may idle less often; the ceiling is what matters
    EXPECT_LE(frames, 32);
}

TEST_F(EditorWindow, CarelessOpensAndClosesAreHarmless)
{
    EXPECT_EQ(p.Dispatch(effEditOpen, 0, 0, nullptr), 1);
    IdleFor(50);
    EXPECT_FALSE(Editor()->frame()->HasWindow());
    EXPECT_EQ(p.effect->frames, 0);
    EXPECT_EQ(p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t{0x7ffffff0})), 1);
    IdleFor(50);
    EXPECT_FALSE(Editor()->frame()->HasWindow());
    p.Dispatch(effEditClose);
    p.Dispatch(effEditClose);
    IdleFor(20);
    char key = 'a';
    EXPECT_EQ(p.Dispatch(effEditKeyDown, key, 0, nullptr, 0), 0); // closed: nothing handles it
    EXPECT_EQ(p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    EXPECT_EQ(p.Dispatch(effEditKeyDown, key, 0, nullptr, 0), 1);
    EXPECT_EQ(p.Dispatch(effEditKeyUp, key, 0, nullptr, 0), 1);
    IdleFor(100);
    EXPECT_GT(p.effect->frames, 0);
}

#ifdef TOLVANGER_HAVE_XTST
TEST_F(EditorWindow, DragOutsideTheWindowKeepsReportingTheMouse)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) GTEST_SKIP() << "no XTest";
    p.Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent));
    IdleFor(200);
    int rootX = 0, rootY = 0;
    Window ignored;
    XTranslateCoordinates(display, parent, DefaultRootWindow(display), 0, 0, &rootX, &rootY, &ignored);
    const int screen = DefaultScreen(display);
    XTestFakeMotionEvent(display, screen, rootX + 200, rootY + 100, 0);
    IdleFor(150);
    EXPECT_EQ(p.effect->mouseX, 200.0);
    EXPECT_EQ(p.effect->mouseY, 100.0);

    const KeyCode shift = XKeysymToKeycode(display, XStringToKeysym("Shift_L"));
    XTestFakeKeyEvent(display, shift, True, 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeKeyEvent(display, shift, False, 0); // the mask is latched at the press
    IdleFor(150);
    EXPECT_EQ(p.effect->mouseButtons, 9.0);
    XTestFakeMotionEvent(display, screen, rootX - 40, rootY + 120, 0);
    IdleFor(150);
    EXPECT_EQ(p.effect->mouseX, -40.0);
    EXPECT_EQ(p.effect->mouseY, 120.0);
    EXPECT_EQ(p.effect->mouseButtons, 9.0);
    XTestFakeButtonEvent(display, 1, False, 0);
    IdleFor(150);
    EXPECT_EQ(p.effect->mouseButtons, 0.0);
    // without a button, movement outside leaves the last position inside
    XTestFakeMotionEvent(display, screen, rootX + 300, rootY + 300, 0);
    IdleFor(150);
    XTestFakeMotionEvent(display, screen, rootX - 60, rootY + 300, 0);
    IdleFor(150);
    EXPECT_EQ(p.effect->mouseX, 300.0);
    EXPECT_EQ(p.effect->redrawRate, 30.0);
    bool sawNegativeWhileHeld = false;
    for (const MouseSeen& m : p.effect->seen)
        sawNegativeWhileHeld |= m.x < 0 && m.buttons == 9.0;
    EXPECT_TRUE(sawNegativeWhileHeld);
}
#endif

} // namespace
