// The editor's scale through the VST 2.4 interface, the real plug-in loaded like a DAW loads
// it: the desktop's scale (Xft.dpi on the display, GDK_SCALE), the host's through the
// vendor-specific call, and the user's choice from the zoom menu, kept for every instance.

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "effect/editor_layout.h"
#include "gui/scale_choice.h"
#include "tests/config_folder.h"
#include "tests/lo_gain_drag.h"
#include "tests/plugin_fixture.h"
#include "tests/scaled_picture_checks.h"
#include "tests/x11_test_display.h"

namespace {

#ifdef TOLVANGER_HAVE_XTST

constexpr int kLoGainIndex = 10;
constexpr int32_t kPreS = FourCharCode('P', 'r', 'e', 'S');
constexpr int32_t kAeCs = FourCharCode('A', 'e', 'C', 's');

struct Size {
    int width, height;
    bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& size) { return out << size.width << "x" << size.height; }

// An editor picture read from the screen, pixel by pixel as 0xRRGGBB.
class Picture {
public:
    Picture(Display* display, Window window, Size size)
        : image_(XGetImage(display, window, 0, 0, static_cast<unsigned>(size.width),
                           static_cast<unsigned>(size.height), AllPlanes, ZPixmap))
    {
    }
    ~Picture()
    {
        if (image_) XDestroyImage(image_);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    explicit operator bool() const { return image_ != nullptr; }
    testing_support::PixelOf Pixels() const
    {
        return [this](int x, int y) {
            x = std::min(x, image_->width - 1), y = std::min(y, image_->height - 1);
            return static_cast<std::uint32_t>(XGetPixel(image_, x, y) & 0xFFFFFF);
        };
    }

private:
    XImage* image_;
};

class Vst2EditorScale : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::OpenWindowTestDisplay(turn, display);
        if (!display) return;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) GTEST_SKIP() << "no XTest";
        savedResources = Resources();
    }
    void TearDown() override
    {
        if (!display) return;
        for (auto& instance : instances)
            instance->Dispatch(effEditClose);
        instances.clear();
        // The display's resources as they were, for the tests after this one.
        if (savedResources)
            SetResources(*savedResources);
        else
            XDeleteProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER);
        for (const Window window : parents)
            XDestroyWindow(display, window);
        XCloseDisplay(display);
    }

    std::optional<std::string> Resources()
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<std::string> text;
        if (XGetWindowProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING,
                               &type, &format, &count, &after, &data) == Success &&
            data && type == XA_STRING)
            text = std::string(reinterpret_cast<const char*>(data), count);
        if (data) XFree(data);
        return text;
    }
    void SetResources(const std::string& text)
    {
        XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        XSync(display, False);
    }

    // A host window at (x, y), large enough for the editor at 2, and a running instance.
    hostkit::PluginInstance& NewInstance(int x = 0, int y = 0)
    {
        parents.push_back(XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, 1780, 1100, 0, 0, 0));
        XMapWindow(display, parents.back());
        XSync(display, False);
        instances.push_back(testing_support::StartedInstance());
        return *instances.back();
    }
    void OpenEditor(size_t which = 0)
    {
        ASSERT_EQ(instances[which]->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parents[which])), 1);
        IdleFor(200, which);
    }

    void IdleFor(int milliseconds, size_t which = 0)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            instances[which]->Dispatch(effEditIdle);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    static Size Rect(hostkit::PluginInstance& instance)
    {
        ERect* rect = nullptr;
        if (instance.Dispatch(effEditGetRect, 0, 0, &rect) != 1 || !rect) return {0, 0};
        return {rect->right - rect->left, rect->bottom - rect->top};
    }
    // The editor's own window: the one child of the host's window.
    Window EditorWindow(size_t which = 0)
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(display, parents[which], &root, &parent, &children, &count);
        const Window child = count == 1 ? children[0] : 0;
        if (children) XFree(children);
        return child;
    }
    Size WindowSize(size_t which = 0)
    {
        XWindowAttributes attributes{};
        const Window window = EditorWindow(which);
        if (!window || !XGetWindowAttributes(display, window, &attributes)) return {0, 0};
        return {attributes.width, attributes.height};
    }
    // The sizes the instance asked its host for, in order.
    static std::vector<Size> SizeRequests(const hostkit::PluginInstance& instance)
    {
        std::vector<Size> sizes;
        for (const hostkit::HostCall& call : instance.Calls())
            if (call.opcode == audioMasterSizeWindow) sizes.push_back({call.index, static_cast<int>(call.value)});
        return sizes;
    }

    std::unique_ptr<testing_support::DisplayTurn> turn;
    Display* display = nullptr;
    std::optional<std::string> savedResources;
    std::vector<Window> parents;
    std::vector<std::unique_ptr<hostkit::PluginInstance>> instances;
};

// A variable of the process's environment for the test's time.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) previous_ = old;
        setenv(name, value, 1);
    }
    ~EnvironmentVariable()
    {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

// Xft.dpi 192 is twice the 96 of scale 1: the editor opens at 1780 by 1100, shows the
// picture it shows at 1 on a finer grid (text laid out at twice the size, not magnified),
// and a drag of so many editor units moves a knob as far as at 1; a new Xft.dpi reaches the
// open editor.
TEST_F(Vst2EditorScale, AtXftDpi192TheEditorOpensAtTwiceTheSizeSharpAndDragsAsAtOne)
{
    hostkit::PluginInstance& instance = NewInstance();
    SetResources("Xft.dpi:\t96\n");
    EXPECT_EQ(Rect(instance), (Size{890, 550}));
    OpenEditor();
    ASSERT_EQ(WindowSize(), (Size{890, 550}));
    const Picture one(display, EditorWindow(), {890, 550});
    ASSERT_TRUE(one);
    instance.Dispatch(effEditClose);

    SetResources("Xft.dpi:\t192\n");
    EXPECT_EQ(Rect(instance), (Size{1780, 1100})) << "before the editor opens";
    OpenEditor();
    EXPECT_EQ(WindowSize(), (Size{1780, 1100}));
    EXPECT_EQ(Rect(instance), (Size{1780, 1100}));
    IdleFor(200);
    const Picture two(display, EditorWindow(), {1780, 1100});
    ASSERT_TRUE(two);
    EXPECT_LT(testing_support::ReducedDifference(two.Pixels(), one.Pixels(), 2, {0, 0, 890, 550}), 4.0);
    const testing_support::UnitBox valueTexts{static_cast<int>(X0 + kSliderWidth + kValueTextGap),
                                              static_cast<int>(Y0), 60, 75};
    EXPECT_GT(testing_support::SharpShare(two.Pixels(), one.Pixels(), 2, valueTexts), 0.5);

    testing_support::DragLoGainKnob(display, parents[0], [this](int ms) { IdleFor(ms); }, 2.0);
    EXPECT_EQ(instance.ParameterDisplay(kLoGainIndex), "6.10");
    EXPECT_TRUE(SizeRequests(instance).empty()) << "the editor opened at its size; nothing to ask";

    // The desktop's scale changes while the editor is open: it follows within a second.
    SetResources("Xft.dpi:\t144\n");
    IdleFor(1200);
    EXPECT_EQ(WindowSize(), (Size{1335, 825}));
    EXPECT_EQ(SizeRequests(instance), (std::vector<Size>{{1335, 825}}));
}

// The host's scale through the vendor-specific call comes before the desktop's; sent while
// the editor is open, the window takes the new size and the host is asked for it.
TEST_F(Vst2EditorScale, TheHostsScaleFromTheVendorCallResizesTheEditorAndAsksTheHost)
{
    const EnvironmentVariable gdkScale("GDK_SCALE", "2");
    hostkit::PluginInstance& instance = NewInstance();
    EXPECT_EQ(Rect(instance), (Size{1780, 1100})) << "GDK_SCALE";
    EXPECT_EQ(instance.Dispatch(effVendorSpecific, kPreS, kAeCs, nullptr, 1.5f), 1);
    EXPECT_EQ(Rect(instance), (Size{1335, 825}));
    OpenEditor();
    EXPECT_EQ(WindowSize(), (Size{1335, 825}));

    instance.ClearCalls();
    EXPECT_EQ(instance.Dispatch(effVendorSpecific, kAeCs, 0, nullptr, 1.0f), 1);
    EXPECT_EQ(WindowSize(), (Size{890, 550}));
    EXPECT_EQ(Rect(instance), (Size{890, 550}));
    EXPECT_EQ(SizeRequests(instance), (std::vector<Size>{{890, 550}}));

    // Not a scale: no answer, nothing changes.
    for (const float bad : {0.0f, -2.0f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(instance.Dispatch(effVendorSpecific, kAeCs, 0, nullptr, bad), 0);
    EXPECT_EQ(instance.Dispatch(effVendorSpecific, kPreS, 0, nullptr, 2.0f), 0);
    EXPECT_EQ(instance.Dispatch(effVendorSpecific, FourCharCode('N', 'o', 'p', 'e'), kAeCs, nullptr, 2.0f), 0);
    IdleFor(100);
    EXPECT_EQ(WindowSize(), (Size{890, 550}));
    EXPECT_EQ(SizeRequests(instance).size(), 1u);
}

// The user's choice from the zoom menu (a right click in the title strip) applies at once,
// is kept in the user's settings, reaches an editor open in another instance at its next
// idle, and comes before the host's scale; "Automatic" returns to the host's.
TEST_F(Vst2EditorScale, TheUsersChoiceFromTheMenuIsKeptAndReachesEveryInstance)
{
    const testing_support::ConfigFolder config;
    hostkit::PluginInstance& first = NewInstance(0, 0);
    hostkit::PluginInstance& second = NewInstance(100, 600);
    EXPECT_EQ(first.Dispatch(effVendorSpecific, kAeCs, 0, nullptr, 1.25f), 1);
    OpenEditor(0);
    OpenEditor(1);
    ASSERT_EQ(WindowSize(0), (Size{1113, 688}));
    ASSERT_EQ(WindowSize(1), (Size{890, 550}));

    // Right press at (400, 12) in editor units, then a click on the menu's row; the menu is
    // modal, so another connection drives the pointer while the editor idles.
    const auto pickFromMenu = [this](double scale, int row) {
        const int x = static_cast<int>(400 * scale), y = static_cast<int>(12 * scale);
        std::thread user([x, y, scale, row] {
            Display* own = gui::x11::OpenDisplay(nullptr);
            if (!own) return;
            XTestFakeMotionEvent(own, DefaultScreen(own), x, y, 0);
            XTestFakeButtonEvent(own, 3, True, 0);
            XSync(own, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            XTestFakeButtonEvent(own, 3, False, 0);
            XSync(own, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            // The menu's corner is one pixel right of and below the press; rows 20 units high.
            const int rowY = y + 1 + static_cast<int>((20 * row + 10) * scale);
            XTestFakeMotionEvent(own, DefaultScreen(own), x + 1 + static_cast<int>(40 * scale), rowY, 0);
            XSync(own, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            XTestFakeButtonEvent(own, 1, True, 0);
            XTestFakeButtonEvent(own, 1, False, 0);
            XSync(own, False);
            XCloseDisplay(own);
        });
        IdleFor(900, 0);
        user.join();
        IdleFor(100, 0);
    };

    first.ClearCalls();
    const float loGain = first.GetParameter(kLoGainIndex);
    pickFromMenu(1.25, 5); // "Automatic", then 100% to 300%: row 5 is 200%
    EXPECT_EQ(gui::StoredUserScale(), 2.0);
    EXPECT_EQ(gui::UserScaleFile(), config.Path() + "/tolvanger/scale");
    EXPECT_EQ(WindowSize(0), (Size{1780, 1100}));
    EXPECT_EQ(Rect(first), (Size{1780, 1100}));
    EXPECT_EQ(SizeRequests(first), (std::vector<Size>{{1780, 1100}}));
    EXPECT_EQ(first.GetParameter(kLoGainIndex), loGain) << "the press reached no control";

    second.ClearCalls();
    IdleFor(1200, 1);
    EXPECT_EQ(WindowSize(1), (Size{1780, 1100}));
    EXPECT_EQ(SizeRequests(second), (std::vector<Size>{{1780, 1100}}));
    EXPECT_EQ(Rect(NewInstance(1000, 1150)), (Size{1780, 1100})) << "a new instance";

    first.ClearCalls();
    pickFromMenu(2.0, 0);
    EXPECT_EQ(gui::StoredUserScale(), 0.0);
    EXPECT_EQ(WindowSize(0), (Size{1113, 688})) << "the host's scale again";
    EXPECT_EQ(SizeRequests(first), (std::vector<Size>{{1113, 688}}));
}

#endif

} // namespace
