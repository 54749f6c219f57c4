// The whole road of a knob drag: the real plug-in loaded like a DAW loads it, its editor
// open in an X window of ours, the pointer driven with XTest, the new value read back
// through the host's parameter interface.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/factory_presets.h"
#include "core/presets.h"
#include "effect/editor_layout.h"
#include "gui/x11/open_display.h"
#include "tests/config_folder.h"
#include "tests/display_turn.h"
#include "tests/lo_gain_drag.h"
#include "tests/plugin_fixture.h"
#include "tests/x11_test_display.h"

namespace {

#ifdef TOLVANGER_HAVE_XTST

constexpr int kLoGainIndex = ParameterIndex(Param::LoGain);

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

    // A left click at editor coordinates, with time for the editor to see each step.
    void ClickAt(int x, int y)
    {
        PointerTo(x, y);
        IdleFor(100);
        XTestFakeButtonEvent(display, 1, True, 0);
        IdleFor(60);
        XTestFakeButtonEvent(display, 1, False, 0);
        IdleFor(100);
    }

    // The edit calls the editor made, in order, as opcode letters: B begin, A automate, E end.
    std::string EditCalls(int32_t index, std::vector<float>* automated = nullptr) const
    {
        std::string calls;
        for (const hostkit::HostCall& call : instance->Calls()) {
            if (call.index != index) continue;
            if (call.opcode == audioMasterBeginEdit) calls += 'B';
            if (call.opcode == audioMasterEndEdit) calls += 'E';
            if (call.opcode == audioMasterAutomate) {
                calls += 'A';
                if (automated) automated->push_back(call.opt);
            }
        }
        return calls;
    }

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

    // The host heard of it as one gesture: begin, the values on the way, end; the last
    // value is the one the parameter holds.
    std::vector<float> automated;
    const std::string calls = EditCalls(kLoGainIndex, &automated);
    EXPECT_TRUE(calls.size() >= 3 && calls.front() == 'B' && calls.back() == 'E' &&
                calls.find_first_not_of('A', 1) == calls.size() - 1)
        << calls;
    ASSERT_FALSE(automated.empty());
    EXPECT_EQ(automated.back(), instance->GetParameter(kLoGainIndex));

    // A press away from every control changes nothing more.
    ClickAt(300, 530);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "6.10");
    EXPECT_EQ(EditCalls(kLoGainIndex), calls);
}

TEST_F(EditorDrag, ASwitchClickIsOneWholeGestureAndHostChangesAreNotEchoed)
{
    constexpr int kPunchIndex = ParameterIndex(Param::Punch);
    ASSERT_EQ(instance->ParameterName(kPunchIndex), "Punch");
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    IdleFor(200);
    // The host's own changes, while the editor shows them, are never sent back.
    instance->SetParameter(kLoGainIndex, 0.75f);
    instance->SetParameter(kPunchIndex, 1.0f);
    IdleFor(100);
    instance->SetParameter(kPunchIndex, 0.0f);
    IdleFor(100);
    EXPECT_EQ(EditCalls(kLoGainIndex), "");
    EXPECT_EQ(EditCalls(kPunchIndex), "");

    const ControlPlace& punch = kControls[25];
    ASSERT_EQ(punch.slider, SliderOf(Param::Punch));
    ClickAt(static_cast<int>(punch.x + punch.width / 2), static_cast<int>(punch.y + punch.height / 2));
    std::vector<float> automated;
    EXPECT_EQ(EditCalls(kPunchIndex, &automated), "BAE");
    EXPECT_EQ(automated, std::vector<float>{1.0f});
    EXPECT_EQ(instance->GetParameter(kPunchIndex), 1.0f);
}

// Host automation arrives on another thread while the open editor paints 30 times a
// second: the editor only reads parameters, so every value the host wrote is still there
// after the paints that followed it (each parameter is checked before its next write, some
// 90 ms and several paints later).
TEST_F(EditorDrag, HostAutomationWhileTheEditorPaintsIsNeverReverted)
{
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    PointerTo(300, 290);
    IdleFor(100);
    constexpr int kWrites = 1000;
    const int32_t count = instance->effect()->numParams;
    std::vector<float> written(static_cast<size_t>(count), -1.0f);
    std::atomic<int> reverted{0}, done{0};
    std::thread host([&] {
        for (int k = 0; k < kWrites; ++k) {
            const int32_t index = k % count;
            if (written[index] >= 0.0f && instance->GetParameter(index) != written[index]) ++reverted;
            instance->SetParameter(index, static_cast<float>((k * 37 % 101) / 100.0));
            written[index] = instance->GetParameter(index);
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        done = 1;
    });
    while (!done.load())
        IdleFor(20);
    host.join();
    IdleFor(100);
    EXPECT_EQ(reverted.load(), 0);
    for (int32_t index = 0; index < count; ++index)
        EXPECT_EQ(instance->GetParameter(index), written[index]) << instance->ParameterName(index);
    EXPECT_EQ(EditCalls(kLoGainIndex), "") << "nothing is echoed back";
}

TEST_F(EditorDrag, DoubleClickOrControlClickResetsAControlInOneGesture)
{
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    IdleFor(150);
    instance->SetParameter(kLoGainIndex, 0.8f); // +12 dB: the knob at 111 + 272 * 0.8
    IdleFor(100);
    instance->ClearCalls();
    // A Control click on the knob: the default, as one begin, automate, end.
    const unsigned control = XKeysymToKeycode(display, XK_Control_L);
    PointerTo(345, 286);
    IdleFor(100);
    XTestFakeKeyEvent(display, control, True, 0);
    IdleFor(40);
    XTestFakeButtonEvent(display, 1, True, 0);
    IdleFor(60);
    XTestFakeButtonEvent(display, 1, False, 0);
    IdleFor(40);
    XTestFakeKeyEvent(display, control, False, 0);
    IdleFor(100);
    std::vector<float> automated;
    EXPECT_EQ(EditCalls(kLoGainIndex, &automated), "BAE");
    EXPECT_EQ(automated, std::vector<float>{0.5f});
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.00");

    // A double click: the first click is a click (it moves the knob to the pointer), the
    // second resets, as a gesture of its own that ends at the default.
    instance->SetParameter(kLoGainIndex, 0.8f);
    IdleFor(100);
    instance->ClearCalls();
    for (int press = 0; press < 2; ++press) {
        XTestFakeButtonEvent(display, 1, True, 0);
        IdleFor(50);
        XTestFakeButtonEvent(display, 1, False, 0);
        IdleFor(50);
    }
    IdleFor(100);
    automated.clear();
    const std::string calls = EditCalls(kLoGainIndex, &automated);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.substr(calls.size() - 3), "BAE") << calls;
    EXPECT_EQ(automated.back(), 0.5f);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.00");

    // Switches too: Punch on, Control click, off again (its default).
    constexpr int kPunchIndex = ParameterIndex(Param::Punch);
    instance->SetParameter(kPunchIndex, 1.0f);
    const ControlPlace& punch = kControls[25];
    PointerTo(static_cast<int>(punch.x + punch.width / 2), static_cast<int>(punch.y + punch.height / 2));
    IdleFor(100);
    instance->ClearCalls();
    XTestFakeKeyEvent(display, control, True, 0);
    IdleFor(40);
    XTestFakeButtonEvent(display, 1, True, 0);
    IdleFor(60);
    XTestFakeButtonEvent(display, 1, False, 0);
    XTestFakeKeyEvent(display, control, False, 0);
    IdleFor(100);
    EXPECT_EQ(EditCalls(kPunchIndex), "BAE");
    EXPECT_EQ(instance->GetParameter(kPunchIndex), 0.0f);
}

TEST_F(EditorDrag, TheWheelStepsASliderInOneGesturePerBurst)
{
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    PointerTo(200, 286);
    IdleFor(150);
    instance->ClearCalls();
    for (int notch = 0; notch < 3; ++notch) {
        XTestFakeButtonEvent(display, 4, True, 0);
        XTestFakeButtonEvent(display, 4, False, 0);
        IdleFor(30);
    }
    IdleFor(600);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.30");
    EXPECT_EQ(EditCalls(kLoGainIndex), "BAAAE");
    // Shift: a quarter step a notch, four notches down for one step.
    const unsigned shift = XKeysymToKeycode(display, XK_Shift_L);
    XTestFakeKeyEvent(display, shift, True, 0);
    for (int notch = 0; notch < 4; ++notch) {
        XTestFakeButtonEvent(display, 5, True, 0);
        XTestFakeButtonEvent(display, 5, False, 0);
        IdleFor(30);
    }
    XTestFakeKeyEvent(display, shift, False, 0);
    IdleFor(600);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.20");
}

TEST_F(EditorDrag, AValueTypedIntoTheFieldIsTakenOnEnterOnly)
{
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    IdleFor(150);
    auto type = [this](const char* text, KeySym last) {
        // LO Gain's value text, right of its track.
        ClickAt(430, 286);
        for (const char* c = text; *c; ++c) {
            const KeySym keysym = *c == '-' ? XK_minus : *c == '.' ? XK_period : static_cast<KeySym>(*c);
            const unsigned code = XKeysymToKeycode(display, keysym);
            XTestFakeKeyEvent(display, code, True, 0);
            XTestFakeKeyEvent(display, code, False, 0);
            IdleFor(20);
        }
        const unsigned code = XKeysymToKeycode(display, last);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        IdleFor(100);
    };
    instance->ClearCalls();
    type("-3.5", XK_Return);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "-3.50");
    std::vector<float> automated;
    EXPECT_EQ(EditCalls(kLoGainIndex, &automated), "BAE");
    EXPECT_EQ(automated, std::vector<float>{(20.0f - 3.5f) / 40.0f});

    instance->ClearCalls();
    type("7", XK_Escape);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "-3.50") << "Escape leaves it";
    type("loud", XK_Return);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "-3.50") << "text that is no value leaves it";
    type("99", XK_Return);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "20.00") << "clamped into the range";
    EXPECT_EQ(EditCalls(kLoGainIndex), "BAE");
}

// The presets in the title strip: the menu opens on the name and a factory preset loads with
// one gesture per changed parameter; "Save as…" writes a user preset that the listing every
// instance reads then holds; A/B switches and copies.
TEST_F(EditorDrag, ThePresetStripLoadsSavesAndComparesThroughTheWindow)
{
    const testing_support::ConfigFolder config;
    ASSERT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent)), 1);
    IdleFor(150);
    instance->ClearCalls();
    // The menu is modal: another connection clicks the name and picks the first row with the
    // keyboard while the editor idles.
    std::thread user([] {
        Display* own = gui::x11::OpenDisplay(nullptr);
        if (!own) return;
        XTestFakeMotionEvent(own, DefaultScreen(own), 60 + 400, 60 + 15, 0);
        XTestFakeButtonEvent(own, 1, True, 0);
        XSync(own, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        XTestFakeButtonEvent(own, 1, False, 0);
        XSync(own, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (const KeySym key : {XK_Down, XK_Return}) {
            const KeyCode code = XKeysymToKeycode(own, key);
            XTestFakeKeyEvent(own, code, True, 0);
            XTestFakeKeyEvent(own, code, False, 0);
            XSync(own, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        XCloseDisplay(own);
    });
    IdleFor(1000);
    user.join();
    IdleFor(100);
    const FactoryPreset& first = kFactoryPresets[0];
    for (int32_t i = 0; i < kParameterTableSize; ++i) {
        const ParameterRow& row = kParameterTable[i];
        EXPECT_FLOAT_EQ(instance->GetParameter(i),
                        static_cast<float>((first.values[i] - row.minimum) / (row.maximum - row.minimum)))
            << row.name;
        EXPECT_EQ(EditCalls(i), first.values[i] != row.defaultValue ? "BAE" : "") << row.name;
    }
    EXPECT_EQ(instance->TextOpcode(effGetProgramName), first.name);

    // Save as: the field in the strip, a name typed, Enter.
    ClickAt(560, 15);
    for (const KeySym key : {XK_BackSpace, XK_z, XK_q, XK_Return}) {
        const unsigned code = XKeysymToKeycode(display, key);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        IdleFor(30);
    }
    IdleFor(100);
    bool listed = false;
    for (const presets::UserPreset& user : presets::ListUserPresets())
        listed = listed || (user.name == "zq" && user.readable);
    EXPECT_TRUE(listed) << "in " << presets::UserFolder();

    // A/B: B starts as A; a change on B; back to A and its setting; Copy A to B on B.
    const float loGain = instance->GetParameter(kLoGainIndex);
    ClickAt(635, 15); // B
    instance->SetParameter(kLoGainIndex, 0.9f);
    ClickAt(615, 15); // A
    EXPECT_EQ(instance->GetParameter(kLoGainIndex), loGain);
    ClickAt(635, 15);
    EXPECT_EQ(instance->GetParameter(kLoGainIndex), 0.9f);
    ClickAt(694, 15); // Copy A to B, while on B: heard at once
    EXPECT_EQ(instance->GetParameter(kLoGainIndex), loGain);
}

#endif

} // namespace
