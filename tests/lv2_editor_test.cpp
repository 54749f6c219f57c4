// The LV2 editor as an LV2 host shows it: found through lilv, instantiated through suil in
// an X window of ours, idled through its idle interface, with the processor it belongs to
// running beside it and handed over through instance access. The pointer is driven with
// XTest; what the editor writes to the host's ports is recorded.

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <suil/suil.h>
#ifdef TOLVANGER_HAVE_XTST
#include <X11/extensions/XTest.h>
#endif

#include <chrono>
#include <cstdlib>
#include <memory>
#include <span>
#include <thread>
#include <vector>

#include "bench/programme_material.h"
#include "gui/bitmap.h"
#include "gui/cairo/native.h"
#include "resources/embedded.h"
#include "tests/display_turn.h"
#include "tests/lo_gain_drag.h"
#include "tests/lv2_host.h"
#include "tests/x11_test_display.h"

namespace {

using testing_support::Lv2Bundle;
using testing_support::Lv2Instance;

#ifdef TOLVANGER_HAVE_XTST

constexpr uint32_t kLoGainPort = 10;

struct PortWrite {
    uint32_t port;
    float value;
};

// A picture of the built-in skin, read pixel by pixel as 0xRRGGBB.
class Skin {
public:
    explicit Skin(int resource)
    {
        const EmbeddedResource* r = FindEmbeddedResource(resource);
        if (r) bitmap_ = gui::Bitmap::FromPng(std::span(r->data, r->size));
    }
    explicit operator bool() const { return bitmap_ != nullptr; }
    unsigned long Pixel(int x, int y) const
    {
        cairo_surface_t* s = bitmap_->GetNative().surface;
        cairo_surface_flush(s);
        const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
    }

private:
    std::shared_ptr<const gui::Bitmap> bitmap_;
};

struct Size {
    int width, height;
    bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Size& size) { return out << size.width << "x" << size.height; }

class Lv2Editor : public ::testing::Test {
protected:
    // `hostScale`: the ui:scaleFactor the host offers in its options; 0 for none.
    explicit Lv2Editor(float hostScale = 0.0f) : hostScale_(hostScale) {}

    void SetUp() override
    {
        testing_support::OpenWindowTestDisplay(turn, display);
        if (!display) return;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        ASSERT_TRUE(XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor));
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 70, 70, 1780, 1100, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);

        const LV2_Feature* processorFeatures[] = {urids.MapFeature(), nullptr};
        processor = std::make_unique<Lv2Instance>(44100, processorFeatures);
        ASSERT_TRUE(*processor);
        music = material::Programme(44100, 44100, 9);

        // The editor the bundle names for the plug-in, as a host finds it.
        const LilvPlugin* plugin = Lv2Bundle::Get().plugin;
        LilvUIs* uis = lilv_plugin_get_uis(plugin);
        const LilvUI* ui = nullptr;
        LilvNode* x11 = lilv_new_uri(Lv2Bundle::Get().world, LV2_UI__X11UI);
        LILV_FOREACH(uis, it, uis)
        if (lilv_ui_is_a(lilv_uis_get(uis, it), x11)) ui = lilv_uis_get(uis, it);
        lilv_node_free(x11);
        ASSERT_TRUE(ui);
        char* bundlePath = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_bundle_uri(ui)), nullptr);
        char* binaryPath = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
        EXPECT_STREQ(lilv_node_as_uri(lilv_ui_get_uri(ui)), lv2_uris::kEditor);

        host = suil_host_new(&Lv2Editor::Write, nullptr, nullptr, nullptr);
        parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(parent)};
        accessFeature = {LV2_INSTANCE_ACCESS_URI, lilv_instance_get_handle(processor->get())};
        idleFeature = {LV2_UI__idleInterface, nullptr};
        touch = {this, &Lv2Editor::Touch};
        touchFeature = {LV2_UI__touch, &touch};
        resize = {this, &Lv2Editor::Resize};
        resizeFeature = {LV2_UI__resize, &resize};
        options[0] = ScaleOption(&hostScale_);
        optionsFeature = {LV2_OPTIONS__options, options};
        const LV2_Feature* features[] = {&parentFeature,
                                         &idleFeature,
                                         &touchFeature,
                                         &resizeFeature,
                                         urids.MapFeature(),
                                         InstanceAccess() ? &accessFeature : nullptr,
                                         hostScale_ > 0 ? &optionsFeature : nullptr,
                                         nullptr};
        editor = suil_instance_new(host, this, LV2_UI__X11UI, lv2_uris::kPlugin, lv2_uris::kEditor, LV2_UI__X11UI,
                                   bundlePath, binaryPath, features);
        lilv_free(bundlePath);
        lilv_free(binaryPath);
        lilv_uis_free(uis);
        ASSERT_TRUE(editor);
        idle = static_cast<const LV2UI_Idle_Interface*>(suil_instance_extension_data(editor, LV2_UI__idleInterface));
        ASSERT_TRUE(idle);
        window = static_cast<Window>(reinterpret_cast<std::uintptr_t>(suil_instance_get_widget(editor)));
        ASSERT_NE(window, 0u);
        // A host tells a new editor every control's value.
        for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i)
            PortEvent(i, processor->controls[i]);
    }
    void TearDown() override
    {
        if (editor) suil_instance_free(editor);
        if (host) suil_host_free(host);
        processor.reset();
        if (!display) return;
        XDestroyWindow(display, parent);
        XCloseDisplay(display);
    }

    // Whether the host hands the editor the processor's instance.
    virtual bool InstanceAccess() const { return true; }

    static void Write(SuilController controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
    {
        auto* self = static_cast<Lv2Editor*>(controller);
        if (protocol != 0 || size != sizeof(float)) return;
        const float value = *static_cast<const float*>(buffer);
        self->writes.push_back({port, value});
        // The host takes the value into its port, where the processor finds it.
        if (port < lv2_ports::kParameterCount) self->processor->controls[port] = value;
    }

    static int Resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        static_cast<Lv2Editor*>(handle)->resizes.push_back({width, height});
        return 0;
    }

    LV2_Options_Option ScaleOption(const float* scale)
    {
        return {LV2_OPTIONS_INSTANCE, 0, urids.Id(LV2_UI__scaleFactor), sizeof(float), urids.Id(LV2_ATOM__Float),
                scale};
    }

    Size WindowSize()
    {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes)) return {0, 0};
        return {attributes.width, attributes.height};
    }

    // A touch, with the number of port writes before it.
    struct TouchCall {
        uint32_t port;
        bool grabbed;
        size_t writesBefore;
        bool operator==(const TouchCall&) const = default;
    };
    static void Touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
    {
        auto* self = static_cast<Lv2Editor*>(handle);
        self->touches.push_back({port, grabbed, self->writes.size()});
    }

    void PortEvent(uint32_t port, float value)
    {
        processor->controls[port] = value;
        suil_instance_port_event(editor, port, sizeof value, 0, &value);
    }

    // The host's audio and GUI loops, one after the other.
    void IdleFor(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        std::vector<float> left(512), right(512);
        while (std::chrono::steady_clock::now() < end) {
            for (size_t i = 0; i < 512; ++i, played = (played + 1) % music.left.size()) {
                left[i] = static_cast<float>(music.left[played]);
                right[i] = static_cast<float>(music.right[played]);
            }
            processor->Run(left.data(), right.data(), left.data(), right.data(), 512);
            EXPECT_EQ(idle->idle(suil_instance_get_handle(editor)), 0);
            XSync(display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    unsigned long PixelOfEditor(int x, int y) { return testing_support::WindowPixel(display, window, x, y); }

    std::unique_ptr<testing_support::DisplayTurn> turn;
    Display* display = nullptr;
    Window parent = 0;
    testing_support::UridMap urids;
    std::unique_ptr<Lv2Instance> processor;
    material::Stereo music;
    size_t played = 0;
    SuilHost* host = nullptr;
    SuilInstance* editor = nullptr;
    const LV2UI_Idle_Interface* idle = nullptr;
    Window window = 0;
    LV2_Feature parentFeature{}, accessFeature{}, idleFeature{}, touchFeature{}, resizeFeature{}, optionsFeature{};
    LV2UI_Touch touch{};
    LV2UI_Resize resize{};
    float hostScale_;
    LV2_Options_Option options[2] = {};
    std::vector<PortWrite> writes;
    std::vector<TouchCall> touches;
    std::vector<Size> resizes;
};

TEST_F(Lv2Editor, PaintsTheSkinAndTheProcessorsMeters)
{
    // LO Compress at 40 dB and the K-20 mix level: the programme is compressed hard.
    PortEvent(0, 40.0f);
    PortEvent(27, 1.0f);
    IdleFor(400);
    const Skin skin(0);
    ASSERT_TRUE(skin);
    // Where the drawing section puts nothing, the window shows the skin as it is.
    for (const auto& [x, y] : {std::pair{3, 3}, {886, 3}, {3, 546}, {886, 546}, {282, 20}, {60, 300}})
        EXPECT_EQ(PixelOfEditor(x, y), skin.Pixel(x, y)) << x << ", " << y;
    // The processor's compression shows in the editor: the first meter of band LO hangs down.
    EXPECT_NE(PixelOfEditor(537, 140), skin.Pixel(537, 140));
    EXPECT_EQ(PixelOfEditor(537, 432), skin.Pixel(537, 432)) << "not the whole well";
    EXPECT_TRUE(writes.empty()) << "nothing was changed in the editor";
}

TEST_F(Lv2Editor, DragWritesThePortAndAPortEventMovesTheKnob)
{
    IdleFor(200);
    testing_support::DragLoGainKnob(display, window, [this](int ms) { IdleFor(ms); });
    ASSERT_FALSE(writes.empty());
    for (const PortWrite& w : writes)
        EXPECT_EQ(w.port, kLoGainPort);
    // Knob at 300 - 110 - 13 = 177 pixels of 272: ceil(260.29) / 10 - 20 = 6.1 dB
    EXPECT_FLOAT_EQ(writes.back().value, 6.1f);
    // The writes came inside one touch gesture, as the host's automation recording wants.
    EXPECT_EQ(touches, (std::vector<TouchCall>{{kLoGainPort, true, 0}, {kLoGainPort, false, writes.size()}}));

    // The host moves LO Gain to -10 dB: the knob follows, at 111 + 272 * 10 / 40 = 179, and
    // nothing is written back.
    writes.clear();
    PortEvent(kLoGainPort, -10.0f);
    IdleFor(150);
    const Skin knob(1);
    const Skin background(0);
    ASSERT_TRUE(knob && background);
    EXPECT_EQ(PixelOfEditor(179 + 2, 280 + 6), knob.Pixel(2, 6));
    EXPECT_EQ(PixelOfEditor(179 + 23, 280 + 6), knob.Pixel(23, 6));
    EXPECT_EQ(PixelOfEditor(292, 286), background.Pixel(292, 286)) << "the knob left its place at 6.1 dB";
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(touches.size(), 2u);
}

// A host that keeps the processor to itself (a separate process, say): the editor shows the
// settings from its own light effect, and the user's edits reach the ports all the same.
class Lv2EditorOnItsOwn : public Lv2Editor {
protected:
    bool InstanceAccess() const override { return false; }
};

TEST_F(Lv2EditorOnItsOwn, DragWritesThePortInsideATouch)
{
    IdleFor(200);
    testing_support::DragLoGainKnob(display, window, [this](int ms) { IdleFor(ms); });
    ASSERT_FALSE(writes.empty());
    EXPECT_FLOAT_EQ(writes.back().value, 6.1f);
    EXPECT_EQ(touches, (std::vector<TouchCall>{{kLoGainPort, true, 0}, {kLoGainPort, false, writes.size()}}));
    // The processor took the value from its port.
    EXPECT_FLOAT_EQ(processor->controls[kLoGainPort], 6.1f);
}

class Lv2ScaledEditor : public Lv2Editor {
protected:
    Lv2ScaledEditor() : Lv2Editor(2.0f) {}
};

// The host's ui:scaleFactor sets the editor's scale; a drag of so many editor units moves a
// knob as far as at 1; a new factor through the options interface resizes the editor, and
// the host is asked for the new size.
TEST_F(Lv2ScaledEditor, OpensAtTheHostsScaleFactorAndFollowsItsChanges)
{
    EXPECT_EQ(WindowSize(), (Size{1780, 1100}));
    EXPECT_EQ(resizes, (std::vector<Size>{{1780, 1100}}));
    IdleFor(200);
    testing_support::DragLoGainKnob(display, window, [this](int ms) { IdleFor(ms); }, 2.0);
    ASSERT_FALSE(writes.empty());
    EXPECT_FLOAT_EQ(writes.back().value, 6.1f);

    const auto* optionsInterface =
        static_cast<const LV2_Options_Interface*>(suil_instance_extension_data(editor, LV2_OPTIONS__interface));
    ASSERT_TRUE(optionsInterface && optionsInterface->set);
    const float newScale = 1.5f;
    const LV2_Options_Option change[] = {ScaleOption(&newScale), {}};
    EXPECT_EQ(optionsInterface->set(suil_instance_get_handle(editor), change), uint32_t{LV2_OPTIONS_SUCCESS});
    XSync(display, False);
    EXPECT_EQ(WindowSize(), (Size{1335, 825}));
    EXPECT_EQ(resizes, (std::vector<Size>{{1780, 1100}, {1335, 825}}));
}

#endif

} // namespace
