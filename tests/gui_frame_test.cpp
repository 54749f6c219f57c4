#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "gui/draw_context.h"
#include "gui/frame.h"
#include "gui/x11/display.h"
#include "tests/display_turn.h"
#include "tests/x11_test_display.h"

#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

namespace {

struct MouseEvent {
    enum Kind { kDown, kUp, kMove } kind;
    double x, y;
    int buttons;
};

// What the view saw; owned by the test so that it outlives the frame.
struct Record {
    int draws = 0;
    double measureAtPaintStart = 0;
    gui::Colour background{0, 0, 255, 255};
    std::vector<MouseEvent> mouse;
    std::vector<gui::Key> keysDown;
};

class RecordingView : public gui::View {
public:
    explicit RecordingView(Record& record) : record_(record) {}

    void Draw(gui::DrawContext& context) override
    {
        ++record_.draws;
        record_.measureAtPaintStart = context.MeasureText("x");
        context.SetFillColour(record_.background);
        context.DrawRectangle(0, 0, context.Width(), context.Height(), gui::DrawContext::kFilled);
        context.SetFillColour({255, 0, 0, 255});
        context.DrawRectangle(10, 10, 30, 20, gui::DrawContext::kFilled);
    }
    bool OnMouseDown(double x, double y, int buttons) override { return Add(MouseEvent::kDown, x, y, buttons); }
    bool OnMouseUp(double x, double y, int buttons) override { return Add(MouseEvent::kUp, x, y, buttons); }
    bool OnMouseMove(double x, double y, int buttons) override { return Add(MouseEvent::kMove, x, y, buttons); }
    bool OnKeyDown(const gui::Key& key) override
    {
        record_.keysDown.push_back(key);
        return true;
    }
    bool OnKeyUp(const gui::Key&) override { return false; }

private:
    bool Add(MouseEvent::Kind kind, double x, double y, int buttons)
    {
        record_.mouse.push_back({kind, x, y, buttons});
        return true;
    }
    Record& record_;
};

std::unique_ptr<gui::View> ViewOf(Record& record) { return std::make_unique<RecordingView>(record); }

int g_testErrors = 0;
int CountError(Display*, XErrorEvent*)
{
    ++g_testErrors;
    return 0;
}

constexpr int kParentX = 100;
constexpr int kParentY = 100;
constexpr int kWidth = 120;
constexpr int kHeight = 80;

// The pointer and the screen are shared by every client of the display, and test programs
// may run in parallel: window tests take turns through a lock file.
using testing_support::DisplayTurn;

class FrameWindow : public testing::Test {
protected:
    void SetUp() override
    {
        testing_support::OpenWindowTestDisplay(turn_, display_);
        if (!display_) return;
        previousHandler_ = XSetErrorHandler(&CountError);
        g_testErrors = 0;
        const int screen = DefaultScreen(display_);
        parent_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), kParentX, kParentY, 300, 200, 0,
                                      BlackPixel(display_, screen), WhitePixel(display_, screen));
        XMapWindow(display_, parent_);
        XSync(display_, False);
    }

    void TearDown() override
    {
        if (display_ == nullptr) return;
        XDestroyWindow(display_, parent_);
        XSync(display_, False);
        XSetErrorHandler(previousHandler_);
        XCloseDisplay(display_);
    }

    // Idles the frame until `done` holds, for at most five seconds.
    static bool IdleUntil(gui::Frame& frame, const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end) {
            frame.Idle();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // The window's pixel as 0xRRGGBB.
    unsigned long WindowPixel(std::uintptr_t window, int x, int y)
    {
        return testing_support::WindowPixel(display_, static_cast<Window>(window), x, y);
    }

    std::unique_ptr<DisplayTurn> turn_;
    Display* display_ = nullptr;
    XErrorHandler previousHandler_ = nullptr;
    Window parent_ = 0;
};

TEST_F(FrameWindow, PaintsTheViewIntoAChildWindowOfTheParent)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(frame.HasWindow());
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));

    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(display_, frame.WindowId(), &root, &parent, &children, &count));
    if (children != nullptr) XFree(children);
    EXPECT_EQ(parent, parent_);

    EXPECT_EQ(WindowPixel(frame.WindowId(), 15, 15), 0xFF0000u);
    EXPECT_EQ(WindowPixel(frame.WindowId(), 29, 19), 0xFF0000u);
    EXPECT_EQ(WindowPixel(frame.WindowId(), 30, 20), 0x0000FFu);
    EXPECT_EQ(WindowPixel(frame.WindowId(), kWidth - 1, kHeight - 1), 0x0000FFu);
    EXPECT_EQ(WindowPixel(parent_, kWidth + 5, 5), 0xFFFFFFu); // the parent beside the frame
    EXPECT_EQ(record.measureAtPaintStart, -1);                 // each paint starts without font
    EXPECT_EQ(g_testErrors, 0);
}

TEST_F(FrameWindow, RepaintsOnlyWhenExposedOrInvalidated)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));
    const int draws = record.draws;
    for (int i = 0; i < 5; ++i)
        frame.Idle();
    EXPECT_EQ(record.draws, draws);

    record.background = {0, 255, 0, 255};
    frame.Invalidate();
    EXPECT_EQ(record.draws, draws);
    frame.Idle();
    EXPECT_EQ(record.draws, draws + 1);
    EXPECT_EQ(WindowPixel(frame.WindowId(), 50, 50), 0x00FF00u);
}

TEST_F(FrameWindow, PaintNowDrawsAtOnce)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));
    record.background = {255, 255, 0, 255};
    frame.PaintNow();
    EXPECT_EQ(WindowPixel(frame.WindowId(), 50, 50), 0xFFFF00u);
}

TEST_F(FrameWindow, DestructionClosesTheWindow)
{
    Record record;
    std::uintptr_t window = 0;
    {
        gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
        window = frame.WindowId();
        ASSERT_NE(window, 0u);
    }
    XWindowAttributes attributes;
    EXPECT_EQ(XGetWindowAttributes(display_, window, &attributes), 0);
    EXPECT_EQ(g_testErrors, 1); // BadWindow, on the test's own connection
}

TEST_F(FrameWindow, AParentThatIsNoWindowGivesNoWindowAndNoError)
{
    const Window gone = XCreateSimpleWindow(display_, parent_, 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(display_, gone);
    const Pixmap pixmap = XCreatePixmap(display_, parent_, 4, 4, DefaultDepth(display_, 0));
    XSync(display_, False);
    for (std::uintptr_t bogus : {static_cast<std::uintptr_t>(gone), static_cast<std::uintptr_t>(pixmap)}) {
        Record record;
        gui::Frame frame(bogus, kWidth, kHeight, ViewOf(record));
        EXPECT_FALSE(frame.HasWindow());
        EXPECT_EQ(frame.WindowId(), 0u);
        frame.Invalidate();
        frame.Idle();
        frame.PaintNow();
        EXPECT_EQ(record.draws, 0);
    }
    XFreePixmap(display_, pixmap);
    XSync(display_, False);
    EXPECT_EQ(g_testErrors, 0);
    EXPECT_EQ(XSetErrorHandler(&CountError), &CountError); // the test's handler is back in place
}

TEST_F(FrameWindow, SurvivesTheParentBeingDestroyedFirst)
{
    Record record;
    auto frame = std::make_unique<gui::Frame>(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(*frame, [&] { return record.draws > 0; }));
    XDestroyWindow(display_, parent_);
    XSync(display_, False);
    EXPECT_TRUE(IdleUntil(*frame, [&] { return !frame->HasWindow(); }));
    frame->Invalidate();
    frame->Idle();
    frame.reset();
    parent_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    XSync(display_, False);
    EXPECT_EQ(g_testErrors, 0);
}

TEST_F(FrameWindow, SurvivesALostConnection)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));
    shutdown(ConnectionNumber(gui::x11::DisplayOf(frame)), SHUT_RDWR);
    frame.Invalidate();
    frame.Idle();
    EXPECT_FALSE(frame.HasWindow());
    frame.Idle();
    frame.PaintNow();
}

#ifdef TOLVANGER_HAVE_XTST

class FrameInput : public FrameWindow {
protected:
    void SetUp() override
    {
        FrameWindow::SetUp();
        if (IsSkipped()) return;
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) {
            GTEST_SKIP() << "the X server has no XTEST extension";
        }
    }

    void MoveTo(int rootX, int rootY)
    {
        XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
        XSync(display_, False);
    }
    void Button(unsigned int button, bool press)
    {
        XTestFakeButtonEvent(display_, button, press, CurrentTime);
        XSync(display_, False);
    }
    void KeyOf(KeySym keysym, bool press)
    {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), press, CurrentTime);
        XSync(display_, False);
    }
    static bool Saw(const Record& record, MouseEvent::Kind kind)
    {
        for (const MouseEvent& e : record.mouse) {
            if (e.kind == kind) return true;
        }
        return false;
    }
};

TEST_F(FrameInput, ADragKeepsReportingMovesOutsideTheWindowUntilTheRelease)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));

    MoveTo(kParentX + 20, kParentY + 15);
    ASSERT_TRUE(IdleUntil(frame, [&] { return Saw(record, MouseEvent::kMove); }));
    KeyOf(XK_Shift_L, true);
    Button(1, true);
    KeyOf(XK_Shift_L, false);
    ASSERT_TRUE(IdleUntil(frame, [&] { return Saw(record, MouseEvent::kDown); }));
    MoveTo(kParentX - 40, kParentY + 15);
    MoveTo(kParentX - 50, kParentY - 10);
    Button(1, false);
    ASSERT_TRUE(IdleUntil(frame, [&] { return Saw(record, MouseEvent::kUp); }));
    MoveTo(kParentX - 60, kParentY + 15); // no button held: the window sees nothing of this
    for (int i = 0; i < 20; ++i) {
        frame.Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    std::size_t down = 0;
    while (record.mouse[down].kind != MouseEvent::kDown)
        ++down;
    EXPECT_EQ(record.mouse[down].x, 20);
    EXPECT_EQ(record.mouse[down].y, 15);
    EXPECT_EQ(record.mouse[down].buttons, gui::kLeftButton | gui::kShift);

    bool sawNegativeWhileHeld = false;
    std::size_t up = down;
    while (record.mouse[up].kind != MouseEvent::kUp) {
        const MouseEvent& e = record.mouse[up];
        if (e.kind == MouseEvent::kMove && e.x == -40 && e.y == 15) {
            sawNegativeWhileHeld = (e.buttons & gui::kLeftButton) != 0;
        }
        ++up;
    }
    EXPECT_TRUE(sawNegativeWhileHeld);
    EXPECT_EQ(record.mouse[up].x, -50);
    EXPECT_EQ(record.mouse[up].y, -10);
    EXPECT_NE(record.mouse[up].buttons & gui::kLeftButton, 0);
    EXPECT_EQ(record.mouse.size(), up + 1);
    EXPECT_EQ(g_testErrors, 0);
}

// A frame of scale 2 has a window of twice the view's size, the view's drawing lands on the
// finer grid, and positions reach the view in its units; a new scale resizes the window.
TEST_F(FrameInput, AScaledFrameHasTheScaledSizeAndReportsPositionsInUnits)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record), 2.0);
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));
    const auto window = static_cast<Window>(frame.WindowId());
    const auto size = [&] {
        XWindowAttributes attributes{};
        XGetWindowAttributes(display_, window, &attributes);
        return std::pair(attributes.width, attributes.height);
    };
    EXPECT_EQ(size(), std::pair(2 * kWidth, 2 * kHeight));
    // The view's red box, (10, 10) to (30, 20) in units.
    EXPECT_EQ(WindowPixel(window, 20, 20), 0xFF0000u);
    EXPECT_EQ(WindowPixel(window, 59, 39), 0xFF0000u);
    EXPECT_EQ(WindowPixel(window, 60, 39), 0x0000FFu);

    MoveTo(kParentX + 50, kParentY + 30);
    Button(1, true);
    Button(1, false);
    ASSERT_TRUE(IdleUntil(frame, [&] { return Saw(record, MouseEvent::kUp); }));
    EXPECT_EQ(record.mouse.back().x, 25);
    EXPECT_EQ(record.mouse.back().y, 15);

    frame.SetScale(1.5);
    EXPECT_EQ(size(), std::pair(180, 120));
    EXPECT_EQ(frame.PixelWidth(), 180);
    record.mouse.clear();
    MoveTo(kParentX + 30, kParentY + 45);
    Button(1, true);
    Button(1, false);
    ASSERT_TRUE(IdleUntil(frame, [&] { return Saw(record, MouseEvent::kUp); }));
    EXPECT_EQ(record.mouse.back().x, 20);
    EXPECT_EQ(record.mouse.back().y, 30);
    EXPECT_EQ(g_testErrors, 0);
}

TEST_F(FrameInput, APressReportsItsButtonAndModifiers)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));
    MoveTo(kParentX + 40, kParentY + 30);
    KeyOf(XK_Control_L, true);
    KeyOf(XK_Alt_L, true);
    Button(3, true);
    Button(3, false);
    KeyOf(XK_Alt_L, false);
    KeyOf(XK_Control_L, false);
    Button(2, true);
    Button(2, false);
    ASSERT_TRUE(IdleUntil(frame, [&] {
        int ups = 0;
        for (const MouseEvent& e : record.mouse)
            ups += e.kind == MouseEvent::kUp;
        return ups == 2;
    }));
    std::vector<int> downs;
    for (const MouseEvent& e : record.mouse) {
        if (e.kind == MouseEvent::kDown) downs.push_back(e.buttons);
    }
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0], gui::kRightButton | gui::kControl | gui::kAlt);
    EXPECT_EQ(downs[1], gui::kMiddleButton);
}

TEST_F(FrameInput, KeysReachTheViewWhenTheWindowHasTheFocus)
{
    Record record;
    gui::Frame frame(parent_, kWidth, kHeight, ViewOf(record));
    ASSERT_TRUE(IdleUntil(frame, [&] { return record.draws > 0; }));
    XSetInputFocus(display_, frame.WindowId(), RevertToParent, CurrentTime);
    KeyOf(XK_a, true);
    KeyOf(XK_a, false);
    ASSERT_TRUE(IdleUntil(frame, [&] { return !record.keysDown.empty(); }));
    EXPECT_EQ(record.keysDown[0].character, static_cast<std::uint32_t>('a'));
    EXPECT_EQ(record.keysDown[0].keysym, static_cast<std::uint32_t>(XK_a));
}

#else

TEST(FrameInput, NeedsXTest) { GTEST_SKIP() << "built without XTest: no synthesised input"; }

#endif

TEST(FrameWithoutWindow, AParentOfZeroGivesAHarmlessFrame)
{
    Record record;
    gui::Frame frame(0, 890, 550, ViewOf(record));
    EXPECT_FALSE(frame.HasWindow());
    EXPECT_EQ(frame.WindowId(), 0u);
    EXPECT_EQ(gui::x11::DisplayOf(frame), nullptr);
    EXPECT_EQ(frame.Width(), 890);
    EXPECT_EQ(frame.Height(), 550);
    frame.Invalidate();
    frame.Idle();
    frame.PaintNow();
    EXPECT_EQ(record.draws, 0);
}

TEST(FrameWithoutWindow, HostKeysAreOfferedToTheView)
{
    Record record;
    gui::Frame frame(0, 10, 10, ViewOf(record));
    gui::Key key;
    key.character = 'q';
    key.virtualKey = 7;
    EXPECT_TRUE(frame.KeyDown(key));
    EXPECT_FALSE(frame.KeyUp(key));
    ASSERT_EQ(record.keysDown.size(), 1u);
    EXPECT_EQ(record.keysDown[0].virtualKey, 7);
}

} // namespace
