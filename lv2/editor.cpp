#include "lv2/editor.h"

#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "core/editor_window.h"
#include "core/plugin.h"
#include "lv2/features.h"
#include "lv2/port_layout.h"
#include "lv2/processor_access.h"
#include "lv2/uris.h"
#include "runtime/host_interface.h"

namespace {

using lv2_ports::kParameterCount;

// Every call comes on the host's UI thread. With instance access the editor is the running
// processor's own (it draws that effect, meters included); otherwise a light effect of the
// editor's own shows the settings the ports send, with no processing and no meters.
class Editor : public HostInterface {
public:
    // Null without a parent window, or when no window could be made in it.
    static Editor* Make(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features,
                        LV2UI_Widget* widget);
    ~Editor() override;
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    void Idle();
    // Options the host changed; ui:scaleFactor rescales the editor.
    void SetOptions(const LV2_Options_Option* options);

    // The host interface of the light effect: its edits are the user's, like the
    // processor's editor's.
    double SampleRate() override { return 0.0; }
    double BlockSize() override { return 0.0; }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override { return {}; }
    void AnnounceLatency(int32_t) override {}
    void StoreLatency(int32_t) override {}
    void BeginEdit(int32_t index) override { Begin(this, static_cast<uint32_t>(index)); }
    void PerformEdit(int32_t index, double value) override
    {
        Change(this, static_cast<uint32_t>(index), static_cast<float>(value));
    }
    void EndEdit(int32_t index) override { End(this, static_cast<uint32_t>(index)); }
    bool RequestRedraw() override { return window_ && window_->Redraw(); }
    bool EditorSize(int32_t& width, int32_t& height) override;

private:
    Editor(LV2UI_Write_Function write, LV2UI_Controller controller) : write_(write), controller_(controller) {}

    // The edit sink: port writes, with the host's touch around a gesture where it offers it.
    static void Begin(void* target, uint32_t index);
    static void Change(void* target, uint32_t index, float value);
    static void End(void* target, uint32_t index);
    // The window's new size in pixels, passed on to the host.
    static void Resize(void* target, int width, int height);
    // The host's scale among the options; 0 when they hold none.
    double ScaleFactor(const LV2_Options_Option* options) const;

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_ = nullptr;
    const LV2UI_Resize* resize_ = nullptr;
    const LV2_URID_Map* map_ = nullptr;
    ProcessorAccess* access_ = nullptr;
    std::unique_ptr<Plugin> plugin_;
    std::unique_ptr<EditorWindow> window_;
};

Editor::~Editor()
{
    if (access_) access_->closeEditor(access_);
    window_.reset();
    plugin_.reset();
}

Editor* Editor::Make(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features,
                     LV2UI_Widget* widget)
{
    void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
    if (!parent || !write || !widget) return nullptr;
    auto self = std::unique_ptr<Editor>(new Editor(write, controller));
    if (auto* touch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch)); touch && touch->touch)
        self->touch_ = touch;
    if (auto* resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
        resize && resize->ui_resize)
        self->resize_ = resize;
    if (auto* map = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map)); map && map->map)
        self->map_ = map;
    const double hostScale =
        self->ScaleFactor(static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options)));
    const auto parentId = reinterpret_cast<std::uintptr_t>(parent);

    std::uintptr_t window = 0;
    int width = 0;
    int height = 0;
    auto* access = static_cast<ProcessorAccess*>(const_cast<void*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI)));
    if (access && access->magic == ProcessorAccess::kMagic && access->openEditor) {
        const EditSink sink{self.get(), &Editor::Begin, &Editor::Change, &Editor::End, &Editor::Resize};
        window = access->openEditor(access, parentId, &sink, hostScale, &width, &height);
        if (window) self->access_ = access;
    }
    if (!window) {
        self->plugin_ = std::make_unique<Plugin>(*self);
        if (self->plugin_->ParameterCount() != static_cast<int>(kParameterCount)) return nullptr;
        self->plugin_->PrepareEditorOnly();
        self->window_ = std::make_unique<EditorWindow>(*self->plugin_, parentId, hostScale);
        if (!self->window_->HasWindow()) return nullptr;
        self->window_->SetResizeRequest([editor = self.get()](int w, int h) { Resize(editor, w, h); });
        window = self->window_->WindowId();
        width = self->window_->Width();
        height = self->window_->Height();
    }
    *widget = reinterpret_cast<LV2UI_Widget>(window);
    Resize(self.get(), width, height);
    return self.release();
}

double Editor::ScaleFactor(const LV2_Options_Option* options) const
{
    if (!options || !map_) return 0.0;
    const LV2_URID scaleFactor = map_->map(map_->handle, LV2_UI__scaleFactor);
    const LV2_URID atomFloat = map_->map(map_->handle, LV2_ATOM__Float);
    for (; options->key != 0; ++options) {
        if (options->key != scaleFactor || options->type != atomFloat || options->size != sizeof(float) ||
            !options->value)
            continue;
        float scale = 0.0f;
        std::memcpy(&scale, options->value, sizeof scale);
        return scale > 0.0f ? scale : 0.0; // NaN too: not above 0
    }
    return 0.0;
}

void Editor::SetOptions(const LV2_Options_Option* options)
{
    const double scale = ScaleFactor(options);
    if (scale <= 0.0) return;
    if (access_ && access_->setEditorScale)
        access_->setEditorScale(access_, scale);
    else if (window_)
        window_->SetHostScale(scale);
}

void Editor::Resize(void* target, int width, int height)
{
    auto* self = static_cast<Editor*>(target);
    if (self->resize_ && width > 0 && height > 0) self->resize_->ui_resize(self->resize_->handle, width, height);
}

bool Editor::EditorSize(int32_t& width, int32_t& height)
{
    if (!window_) return false;
    width = Plugin::kEditorWidth;
    height = Plugin::kEditorHeight;
    return true;
}

// A value from the host moves the control: it is set like a host parameter, and the drawing
// section shows it at its next paint. Never echoed back.
void Editor::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (port >= kParameterCount || format != 0 || size != sizeof(float) || !buffer) return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    if (access_)
        access_->setValue(access_, port, value);
    else if (plugin_)
        plugin_->SetValue(static_cast<int32_t>(port), static_cast<double>(value));
}

// Mouse input and painting happen inside the editor's idle pass.
void Editor::Idle()
{
    if (access_)
        access_->idleEditor(access_);
    else if (window_)
        window_->Idle();
}

void Editor::Begin(void* target, uint32_t index)
{
    auto* self = static_cast<Editor*>(target);
    if (self->touch_ && index < kParameterCount) self->touch_->touch(self->touch_->handle, index, true);
}

void Editor::Change(void* target, uint32_t index, float value)
{
    auto* self = static_cast<Editor*>(target);
    if (index < kParameterCount) self->write_(self->controller_, index, sizeof value, 0, &value);
}

void Editor::End(void* target, uint32_t index)
{
    auto* self = static_cast<Editor*>(target);
    if (self->touch_ && index < kParameterCount) self->touch_->touch(self->touch_->handle, index, false);
}

// The descriptor's functions: nothing thrown leaves them.

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char*, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features)
{
    try {
        return Editor::Make(write, controller, features, widget);
    } catch (...) {
        return nullptr;
    }
}

void Cleanup(LV2UI_Handle ui)
{
    try {
        delete static_cast<Editor*>(ui);
    } catch (...) {
    }
}

void PortEvent(LV2UI_Handle ui, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    try {
        if (ui) static_cast<Editor*>(ui)->PortEvent(port, size, format, buffer);
    } catch (...) {
    }
}

int Idle(LV2UI_Handle ui)
{
    try {
        if (ui) static_cast<Editor*>(ui)->Idle();
    } catch (...) {
    }
    return 0;
}

const LV2UI_Idle_Interface kIdleInterface = {Idle};

// The host's options at any time: the editor reads ui:scaleFactor and has none to give.
uint32_t GetOptions(LV2_Handle, LV2_Options_Option*) { return LV2_OPTIONS_ERR_UNKNOWN; }

uint32_t SetOptions(LV2_Handle ui, const LV2_Options_Option* options)
{
    try {
        if (ui) static_cast<Editor*>(ui)->SetOptions(options);
    } catch (...) {
    }
    return LV2_OPTIONS_SUCCESS;
}

const LV2_Options_Interface kOptionsInterface = {GetOptions, SetOptions};

const void* ExtensionData(const char* uri)
{
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
    if (uri && std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptionsInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {lv2_uris::kEditor, Instantiate, Cleanup, PortEvent, ExtensionData};

} // namespace

const LV2UI_Descriptor* EditorDescriptor() noexcept { return &kDescriptor; }
