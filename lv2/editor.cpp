#include "lv2/editor.h"

#include <lv2/instance-access/instance-access.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "effect/effect.h"
#include "gui/frame.h"
#include "host/vest.h"
#include "host/vest_editor.h"
#include "lv2/features.h"
#include "lv2/meter_source.h"
#include "lv2/port_layout.h"
#include "lv2/uris.h"
#include "lv2/vst_instance.h"

namespace {

using lv2_ports::kParameterCount;

// Every call comes on the host's UI thread.
class Editor {
public:
    // Null without a parent window, or when no window could be made in it.
    static Editor* Make(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features,
                        LV2UI_Widget* widget);
    ~Editor();
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    void PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    void Idle();

private:
    Editor(CVeST* host, LV2UI_Write_Function write, LV2UI_Controller controller);
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    double Parameter(uint32_t index) const { return effect_->sliderValues[effect_->sliderDefs[index].number]; }
    void TakeMeters();

    CVeST* host_;
    TVexlEffect* effect_;
    LV2UI_Write_Function write_;
    LV2UI_Controller controller_;
    MeterSource* meters_ = nullptr;
};

Editor::Editor(CVeST* host, LV2UI_Write_Function write, LV2UI_Controller controller)
    : host_(host), effect_(static_cast<TVexlEffect*>(host->effect)), write_(write), controller_(controller)
{
}

Editor::~Editor()
{
    Dispatch(effEditClose);
    Dispatch(effClose);
}

intptr_t Editor::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    AEffect* e = host_ ? host_->getAeffect() : nullptr;
    if (!e) return 0;
    if (opcode == effClose) host_ = nullptr; // the record deletes the instance
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

Editor* Editor::Make(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_Feature* const* features,
                     LV2UI_Widget* widget)
{
    void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
    if (!parent || !write || !widget) return nullptr;
    CVeST* host = lv2_support::MakeVstInstance();
    if (!host) return nullptr;
    auto* self = new Editor(host, write, controller);
    if (self->effect_->ParameterCount() != static_cast<int>(kParameterCount)) {
        delete self;
        return nullptr;
    }
    // Mains on runs the init section, which sets the editor's layout constants and frame rate.
    self->Dispatch(effOpen);
    self->Dispatch(effMainsChanged, 0, 1);
    self->Dispatch(effEditOpen, 0, 0, parent);
    auto* editor = dynamic_cast<CVeSTEditor*>(host->getEditor());
    gui::Frame* frame = editor ? editor->frame() : nullptr;
    if (!frame || !frame->HasWindow()) {
        delete self;
        return nullptr;
    }
    auto* source = static_cast<MeterSource*>(const_cast<void*>(FindFeature(features, LV2_INSTANCE_ACCESS_URI)));
    if (source && source->magic == MeterSource::kMagic && source->take) self->meters_ = source;
    *widget = reinterpret_cast<LV2UI_Widget>(frame->WindowId());
    if (auto* resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
        resize && resize->ui_resize)
        resize->ui_resize(resize->handle, frame->Width(), frame->Height());
    return self;
}

// A value from the host moves the control: it is set like a host parameter, so the slider
// section refreshes the values the drawing section shows.
void Editor::PortEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    if (port >= kParameterCount || format != 0 || size != sizeof(float) || !buffer) return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    effect_->SetParameterValue(static_cast<int32_t>(port), static_cast<double>(value));
}

// The compression meters keep the lowest gain until the drawing section has shown them;
// the processor's meters start afresh at every reading.
void Editor::TakeMeters()
{
    if (!meters_) return;
    MeterReading reading{};
    meters_->take(meters_, &reading);
    DspVariables& dsp = effect_->dsp;
    for (int c = 0; c < kChannelCount; ++c)
        for (int b = 0; b < kBandCount; ++b)
            dsp.compMeter[c][b] = std::fmin(dsp.compMeter[c][b], reading.compression[c][b]);
    for (int b = 0; b < kBandCount; ++b)
        dsp.transientMeter[b] = reading.transient[b];
    dsp.monoInput = reading.monoInput;
}

// Mouse input and painting happen inside the editor's idle pass; whatever slider it
// changed there is the user's doing and goes to the host's port.
void Editor::Idle()
{
    TakeMeters();
    double before[kParameterCount];
    for (uint32_t i = 0; i < kParameterCount; ++i)
        before[i] = Parameter(i);
    Dispatch(effEditIdle);
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        const double after = Parameter(i);
        if (after == before[i] || !std::isfinite(after)) continue;
        const auto value = static_cast<float>(after);
        write_(controller_, i, sizeof value, 0, &value);
    }
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
