// The whole road of a knob drag: the real plug-in loaded like a DAW loads it, its editor
// open in an X window of ours, the pointer driven with XTest, the new value read back
// through the host's parameter interface.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/display_turn.h"
#include "tests/lo_gain_drag.h"
#include "tests/plugin_fixture.h"
#include "tests/x11_test_display.h"

namespace {

#ifdef TOLVANGER_HAVE_XTST

constexpr int kLoGainIndex = 10; // slider 11, the eleventh parameter

class EditorDrag : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::OpenWindowTestDisplay(turn, display);
        if (!display) return;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) GTEST_SKIP() << "no XTest";
        instance = testing_support::StartedInstance();
        ASSERT_TRUE(instance);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 60, 60, 890, 550, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override
    {
        if (!display) return;
        if (instance) instance->Dispatch(effEditClose);
        instance.reset();
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    void IdleFor(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            instance->Dispatch(effEditIdle);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Moves the pointer to editor coordinates (the editor fills our window from its corner).
    void PointerTo(int x, int y) { testing_support::MovePointer(display, parent, x, y); }

    std::unique_ptr<testing_support::DisplayTurn> turn;
    Display* display = nullptr;
    Window parent = 0;
    std::unique_ptr<hostkit::PluginInstance> instance;
};

TEST_F(EditorDrag, DraggingTheLoGainKnobChangesTheParameter)
{
    ASSERT_EQ(instance->ParameterName(kLoGainIndex), "LO Gain");
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.00");
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    IdleFor(200);

    testing_support::DragLoGainKnob(display, parent, [this](int ms) { IdleFor(ms); });

    // Knob at 300 - 110 - 13 = 177 pixels of 272: ceil(260.29) / 10 - 20 = 6.1 dB
    EXPECT_NEAR(instance->GetParameter(kLoGainIndex), (6.1 + 20) / 40, 1e-6);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "6.10");

    // A press away from every control changes nothing more.
    PointerTo(300, 530);
    IdleFor(60);
    XTestFakeButtonEvent(display, 1, True, 0);
    IdleFor(60);
    XTestFakeButtonEvent(display, 1, False, 0);
    IdleFor(60);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "6.10");
}

#endif

} // namespace
