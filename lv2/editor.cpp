#include "lv2/editor.h"

#include <lv2/instance-access/instance-access.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "core/editor_window.h"
#include "core/plugin.h"
#include "effect/effect.h"
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
    void PerformEdit(int32_t index, double) override
    {
        Change(this, static_cast<uint32_t>(index), static_cast<float>(plugin_->GetValue(index)));
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

    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    const LV2UI_Touch* touch_ = nullptr;
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
    const auto parentId = reinterpret_cast<std::uintptr_t>(parent);

    std::uintptr_t window = 0;
    auto* access = static_cast<ProcessorAccess*>(const_cast<void*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI)));
    if (access && access->magic == ProcessorAccess::kMagic && access->openEditor) {
        const EditSink sink{self.get(), &Editor::Begin, &Editor::Change, &Editor::End};
        window = access->openEditor(access, parentId, &sink);
        if (window) self->access_ = access;
    }
    if (!window) {
        self->plugin_ = std::make_unique<Plugin>(*self);
        if (self->plugin_->ParameterCount() != static_cast<int>(kParameterCount)) return nullptr;
        TVexlEffect& effect = self->plugin_->Effect();
        effect.InitEditor();
        effect.DoSlider();
        self->window_ = std::make_unique<EditorWindow>(effect, parentId);
        if (!self->window_->HasWindow()) return nullptr;
        window = self->window_->WindowId();
    }
    *widget = reinterpret_cast<LV2UI_Widget>(window);
    if (auto* resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
        resize && resize->ui_resize)
        resize->ui_resize(resize->handle, EditorWindow::kWidth, EditorWindow::kHeight);
    return self.release();
}

bool Editor::EditorSize(int32_t& width, int32_t& height)
{
    if (!window_) return false;
    width = window_->Width();
    height = window_->Height();
    return true;
}

// A value from the host moves the control: it is set like a host parameter, so the slider
// section refreshes the values the drawing section shows. Never echoed back.
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

const void* ExtensionData(const char* uri)
{
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {lv2_uris::kEditor, Instantiate, Cleanup, PortEvent, ExtensionData};

} // namespace

const LV2UI_Descriptor* EditorDescriptor() noexcept { return &kDescriptor; }
