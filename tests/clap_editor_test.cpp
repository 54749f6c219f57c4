// The CLAP editor in a real X window of our own: embedded through the GUI extension, idled
// through the host's timer (or, without one, through main-thread callbacks), and a drag of
// the "LO Gain" knob reaching the host as gesture begin, values and gesture end.

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "tests/clap_test_library.h"
#include "tests/display_turn.h"
#include "tests/lo_gain_drag.h"
#include "tests/x11_test_display.h"

namespace {

#ifdef TOLVANGER_HAVE_XTST

using testing_support::ClapInstance;

constexpr clap_id kLoGain = 10;

class ClapEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::OpenWindowTestDisplay(turn, display);
        if (!display) return;
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 60, 60, 890, 550, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override
    {
        if (!display) return;
        if (clap && clap->gui) clap->gui->destroy(clap->plugin);
        clap.reset();
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    void Open(testing_support::ClapHostOptions options = {}, double scale = 1.0)
    {
        clap = testing_support::NewClapInstance(options);
        ASSERT_TRUE(clap && clap->gui);
        ASSERT_TRUE(clap->Start(44100.0, 512));
        const clap_plugin_gui_t* gui = clap->gui;
        EXPECT_FALSE(gui->is_api_supported(clap->plugin, CLAP_WINDOW_API_X11, true));
        ASSERT_TRUE(gui->is_api_supported(clap->plugin, CLAP_WINDOW_API_X11, false));
        ASSERT_TRUE(gui->create(clap->plugin, CLAP_WINDOW_API_X11, false));
        EXPECT_FALSE(gui->set_scale(clap->plugin, 0.0));
        ASSERT_TRUE(gui->set_scale(clap->plugin, scale));
        EXPECT_FALSE(gui->can_resize(clap->plugin));
        clap_gui_resize_hints_t hints{true, true, true, 1, 1};
        ASSERT_TRUE(gui->get_resize_hints(clap->plugin, &hints));
        EXPECT_FALSE(hints.can_resize_horizontally || hints.can_resize_vertically || hints.preserve_aspect_ratio);
        uint32_t width = 0, height = 0;
        ASSERT_TRUE(gui->get_size(clap->plugin, &width, &height));
        EXPECT_EQ(width, static_cast<uint32_t>(std::lround(890 * scale)));
        EXPECT_EQ(height, static_cast<uint32_t>(std::lround(550 * scale)));
        clap_window_t window{};
        window.api = CLAP_WINDOW_API_X11;
        window.x11 = parent;
        ASSERT_TRUE(gui->set_parent(clap->plugin, &window));
        ASSERT_TRUE(gui->show(clap->plugin));
    }

    // The host's run loop: timers, descriptors and main-thread callbacks, as they come.
    void IdleFor(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            clap->Idle();
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    std::unique_ptr<testing_support::DisplayTurn> turn;
    Display* display = nullptr;
    Window parent = 0;
    std::unique_ptr<ClapInstance> clap;
};

TEST_F(ClapEditor, OpensAtTheHostsScaleAndAsksForTheNewSizeWhenItChanges)
{
    Open({}, 2.0);
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(clap->gui->get_size(clap->plugin, &width, &height));
    EXPECT_EQ(width, 1780u);
    EXPECT_EQ(height, 1100u);
    EXPECT_TRUE(clap->resizeRequests.empty());
    ASSERT_TRUE(clap->gui->set_scale(clap->plugin, 1.0));
    IdleFor(50);
    ASSERT_EQ(clap->resizeRequests.size(), 1u);
    EXPECT_EQ(clap->resizeRequests[0], (std::pair<uint32_t, uint32_t>{890, 550}));
    EXPECT_TRUE(clap->gui->set_size(clap->plugin, 890, 550));
}

TEST_F(ClapEditor, DragOfLoGainBecomesAGestureOfValueEvents)
{
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) GTEST_SKIP() << "no XTest";
    Open();
    EXPECT_EQ(clap->Timers().size(), 1u);
    EXPECT_EQ(clap->Fds().size(), 1u);
    IdleFor(200);

    testing_support::DragLoGainKnob(display, parent, [this](int ms) { IdleFor(ms); });
    EXPECT_GT(clap->flushRequests.load(), 0);
    EXPECT_EQ(clap->Text(kLoGain, clap->Value(kLoGain)), "6.10");

    std::vector<float> l(64, 0.0f), r(64, 0.0f);
    float* io[2] = {l.data(), r.data()};
    ASSERT_EQ(clap->Process(io, io, 64), CLAP_PROCESS_CONTINUE);
    const testing_support::EventList& out = clap->outEvents;
    ASSERT_GE(out.size(), 3u);
    // Each value event carries the value of its own step of the drag, rising to the last.
    int values = 0;
    double previous = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const clap_event_header_t* e = out.at(i);
        const uint16_t expected = i == 0                ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                  : i + 1 == out.size() ? CLAP_EVENT_PARAM_GESTURE_END
                                                        : CLAP_EVENT_PARAM_VALUE;
        ASSERT_EQ(e->type, expected) << i;
        if (e->type == CLAP_EVENT_PARAM_VALUE) {
            const auto* v = reinterpret_cast<const clap_event_param_value_t*>(e);
            EXPECT_EQ(v->param_id, kLoGain);
            EXPECT_GT(v->value, previous) << i;
            previous = v->value;
            ++values;
        } else {
            EXPECT_EQ(reinterpret_cast<const clap_event_param_gesture_t*>(e)->param_id, kLoGain);
        }
    }
    EXPECT_GE(values, 2);
    EXPECT_DOUBLE_EQ(previous, 6.1);

    clap->gui->destroy(clap->plugin);
    EXPECT_TRUE(clap->Timers().empty());
    EXPECT_TRUE(clap->Fds().empty());
}

TEST_F(ClapEditor, WithoutHostTimersItIdlesThroughMainThreadCallbacks)
{
    Open({.threadCheck = true, .timers = false, .fds = false});
    EXPECT_TRUE(clap->Timers().empty());
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (clap->callbackRequests.load() < 3 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(clap->callbackRequests.load(), 3);
    IdleFor(100);
    clap->gui->destroy(clap->plugin);
    // The ticker is gone with the editor: no more requests.
    clap->callbackRequests.store(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(clap->callbackRequests.load(), 0);
}

#endif

} // namespace
