// The VST 3 editor as a Linux VST 3 host shows it: a view from the controller, attached to
// an X window of ours, run only by the host's run loop (a timer and the X connection's
// descriptor) that the view's frame offers. The pointer is driven with XTest; the component
// handler records the edits the editor sends.

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/display_turn.h"
#include "tests/vst3_host.h"
#include "tests/x11_test_display.h"
#ifdef TOLVANGER_HAVE_XTST
#include "tests/lo_gain_drag.h"
#endif

#ifdef TOLVANGER_VST3_LIBRARY
namespace {

using namespace vst3_host;

constexpr ParamID kLoGain = 10;

class Vst3Editor : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        module = Module::Load(TestLibraryPath(), &error);
        ASSERT_TRUE(module) << error;
        effect = Effect::Create(*module);
        ASSERT_TRUE(effect);
        ASSERT_TRUE(effect->Start(44100.0, 512));
        testing_support::OpenWindowTestDisplay(turn, display);
        if (!display) return;
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 70, 70, 890, 550, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
        view = effect->controller->createView(kEditorViewType);
        ASSERT_TRUE(view);
    }

    void TearDown() override
    {
        if (view) {
            view->removed();
            view->release();
        }
        if (display) {
            XDestroyWindow(display, parent);
            XCloseDisplay(display);
        }
        effect.reset();
        module.reset();
    }

    // The host's audio and GUI loops, one after the other: the block section drives the
    // editor's redraws.
    void RunFor(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        std::vector<float> left(512, 0.1f), right(512, -0.1f);
        float* io[2] = {left.data(), right.data()};
        while (std::chrono::steady_clock::now() < end) {
            effect->Process<float>(io, io, 512);
            XSync(display, False); // sends the pointer events made so far
            frame.Pump(10);
        }
    }

    std::unique_ptr<testing_support::DisplayTurn> turn;
    Display* display = nullptr;
    Window parent = 0;
    std::unique_ptr<Module> module;
    std::unique_ptr<Effect> effect;
    IPlugView* view = nullptr;
    PlugFrame frame;
};

TEST_F(Vst3Editor, OpensAtItsSizeOnTheHostsRunLoopAndDoesNotScale)
{
    if (!display) return;
    EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultTrue);
    EXPECT_NE(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 890);
    EXPECT_EQ(size.bottom - size.top, 550);
    EXPECT_NE(view->canResize(), kResultTrue);
    auto* scaling = Query<IPlugViewContentScaleSupport>(view);
    ASSERT_TRUE(scaling);
    EXPECT_EQ(scaling->setContentScaleFactor(2.0f), kResultFalse);
    scaling->release();

    // Without a run loop the view has nothing to run on and says so.
    frame.offerRunLoop = false;
    view->setFrame(&frame);
    EXPECT_NE(view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID), kResultOk);

    frame.offerRunLoop = true;
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID), kResultOk);
    ASSERT_EQ(frame.timers.size(), 1u);
    EXPECT_LE(frame.timers[0].interval, 33u); // 30 idles a second or more
    ASSERT_EQ(frame.handlers.size(), 1u);
    EXPECT_GE(frame.handlers[0].second, 0); // the editor's own X connection
    frame.Pump(200);
    // The editor's window is a child of ours, at the editor's size.
    Window root = 0, parentOfChild = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(display, parent, &root, &parentOfChild, &children, &count));
    ASSERT_EQ(count, 1u);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, children[0], &attributes);
    XFree(children);
    EXPECT_EQ(attributes.width, 890);
    EXPECT_EQ(attributes.height, 550);

    ASSERT_EQ(view->removed(), kResultOk);
    EXPECT_TRUE(frame.timers.empty());
    EXPECT_TRUE(frame.handlers.empty());
}

#ifdef TOLVANGER_HAVE_XTST
TEST_F(Vst3Editor, DraggingLoGainSendsBeginThePerformedValuesAndEnd)
{
    if (!display) return;
    view->setFrame(&frame);
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(parent), kPlatformTypeX11EmbedWindowID), kResultOk);
    RunFor(200);
    testing_support::DragLoGainKnob(display, parent, [this](int ms) { RunFor(ms); });

    // One gesture: begin at the press, performs while dragging, end at the release.
    const std::vector<EditCall> edits = effect->handler.Edits();
    std::string kinds;
    for (const EditCall& edit : edits)
        kinds += edit.kind;
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(kinds, "b" + std::string(kinds.size() - 2, 'p') + "e");
    double last = -1.0;
    for (const EditCall& edit : edits) {
        EXPECT_EQ(edit.id, kLoGain);
        if (edit.kind != 'p') continue;
        EXPECT_GT(edit.value, last) << "the knob moved right only";
        last = edit.value;
    }
    // Let go at 6.1 dB of -20 to 20, the value the controller now answers.
    EXPECT_NEAR(last, (6.1 + 20.0) / 40.0, 1e-6);
    EXPECT_NEAR(effect->controller->getParamNormalized(kLoGain), last, 1e-6);
    EXPECT_EQ(effect->Display(kLoGain, last), "6.10");
}
#endif

} // namespace
#endif
