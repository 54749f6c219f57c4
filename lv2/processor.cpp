#include "lv2/processor.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "core/editor_window.h"
#include "core/plugin.h"
#include "lv2/features.h"
#include "lv2/port_layout.h"
#include "lv2/processor_access.h"
#include "lv2/uris.h"
#include "runtime/host_interface.h"

namespace {

using namespace lv2_ports;

// Bits of a NaN: a port value no look has seen yet; every NaN is ignored anyway.
constexpr uint32_t kNothingSeen = 0xFFFFFFFFu;

// The LV2 plug-in over the core. Ports carry the parameters in the sliders' own units, and the
// host's bypass as the enabled port; the host interface answers what the host gave at
// instantiation (LV2 passes no transport through our ports). The editor of a host that gives
// instance access draws this effect.
class Processor : public ProcessorAccess, public HostInterface {
public:
    // Null when the rate is unusable.
    static Processor* Make(double rate, const LV2_Feature* const* features);
    Processor(const Processor&) = delete;
    Processor& operator=(const Processor&) = delete;

    void Connect(uint32_t port, void* data);
    void Activate();
    void Deactivate();
    // The audio thread.
    void Run(uint32_t frames);
    // Save may run beside Run: the chunk is built from the slider values alone.
    LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    // The host interface.
    double SampleRate() override { return rate_; }
    double BlockSize() override { return maxBlock_; }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override { return {}; }
    void AnnounceLatency(int32_t samples) override { StoreLatency(samples); }
    void StoreLatency(int32_t samples) override { latency_.store(samples, std::memory_order_relaxed); }
    void BeginEdit(int32_t index) override;
    void PerformEdit(int32_t index, double value) override;
    void EndEdit(int32_t index) override;
    bool RequestRedraw() override { return editor_ && editor_->Redraw(); }
    bool EditorSize(int32_t& width, int32_t& height) override;

private:
    explicit Processor(double rate) : rate_(rate), plugin_(*this)
    {
        ProcessorAccess::openEditor = &Processor::OpenEditor;
        ProcessorAccess::idleEditor = &Processor::IdleEditor;
        ProcessorAccess::closeEditor = &Processor::CloseEditor;
        ProcessorAccess::setEditorScale = &Processor::SetEditorScale;
        ProcessorAccess::setValue = &Processor::SetValue;
        std::fill(std::begin(seen_), std::end(seen_), kNothingSeen);
    }
    void ReadOptions(const LV2_Options_Option* options);
    void ApplyControls();
    void WriteLatencyPort();
    static uintptr_t OpenEditor(ProcessorAccess* self, uintptr_t parent, const EditSink* sink, double hostScale,
                                int* width, int* height);
    static void SetEditorScale(ProcessorAccess* self, double hostScale);
    static void IdleEditor(ProcessorAccess* self);
    static void CloseEditor(ProcessorAccess* self);
    static void SetValue(ProcessorAccess* self, uint32_t index, float value);

    double rate_;
    double maxBlock_ = 0.0;
    std::atomic<int32_t> latency_{0};
    Plugin plugin_;
    const LV2_URID_Map* map_ = nullptr;
    LV2_URID stateKey_ = 0;
    LV2_URID chunkType_ = 0;
    const float* controls_[kParameterCount] = {};
    uint32_t seen_[kParameterCount];
    float* inputs_[2] = {};
    float* outputs_[2] = {};
    float* latencyPort_ = nullptr;
    const float* enabledPort_ = nullptr;
    uint32_t enabledSeen_ = kNothingSeen;
    // The UI thread's: the editor drawn from this instance and where its edits go.
    std::unique_ptr<EditorWindow> editor_;
    EditSink sink_{};
};

Processor* Processor::Make(double rate, const LV2_Feature* const* features)
{
    if (!std::isfinite(rate) || rate < 1.0 || rate > std::numeric_limits<float>::max()) return nullptr;
    auto self = std::unique_ptr<Processor>(new Processor(rate));
    if (self->plugin_.ParameterCount() != static_cast<int>(kParameterCount)) return nullptr;
    self->map_ = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
    if (self->map_ && self->map_->map) {
        self->stateKey_ = self->map_->map(self->map_->handle, lv2_uris::kStateChunk);
        self->chunkType_ = self->map_->map(self->map_->handle, LV2_ATOM__Chunk);
    } else {
        self->map_ = nullptr;
    }
    self->ReadOptions(static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options)));
    // Made ready for processing now, where allocating is allowed: a host that runs without
    // activating first finds the delay lines in place.
    self->plugin_.Activate();
    return self.release();
}

// The largest block the host will run.
void Processor::ReadOptions(const LV2_Options_Option* options)
{
    if (!options || !map_) return;
    const LV2_URID maxBlock = map_->map(map_->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID atomInt = map_->map(map_->handle, LV2_ATOM__Int);
    for (; options->key != 0; ++options) {
        if (options->context != LV2_OPTIONS_INSTANCE || options->key != maxBlock) continue;
        if (options->type != atomInt || options->size != sizeof(int32_t) || !options->value) continue;
        int32_t frames = 0;
        std::memcpy(&frames, options->value, sizeof frames);
        if (frames > 0) maxBlock_ = frames;
    }
}

void Processor::Connect(uint32_t port, void* data)
{
    if (port < kParameterCount) {
        controls_[port] = static_cast<const float*>(data);
        return;
    }
    switch (port) {
    case kInputLeft:
        inputs_[0] = static_cast<float*>(data);
        break;
    case kInputRight:
        inputs_[1] = static_cast<float*>(data);
        break;
    case kOutputLeft:
        outputs_[0] = static_cast<float*>(data);
        break;
    case kOutputRight:
        outputs_[1] = static_cast<float*>(data);
        break;
    case kLatency:
        latencyPort_ = static_cast<float*>(data);
        break;
    case kEnabled:
        enabledPort_ = static_cast<const float*>(data);
        break;
    default:
        break;
    }
}

void Processor::WriteLatencyPort()
{
    if (latencyPort_) *latencyPort_ = static_cast<float>(latency_.load(std::memory_order_relaxed));
}

// Switching on starts the processing afresh: the init section, then the slider section. The
// latency port holds the new delay at once, for hosts that read it before the first run.
void Processor::Activate()
{
    ApplyControls();
    plugin_.Activate();
    WriteLatencyPort();
}

void Processor::Deactivate() { plugin_.Deactivate(); }

// A port value that changed since the last look is set like a host parameter: quantised to
// the step, and the slider section runs when the stored value changes. A value as before,
// bit for bit, is not looked at again; NaN and infinities are ignored.
void Processor::ApplyControls()
{
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        if (!controls_[i]) continue;
        const float value = *controls_[i];
        const auto bits = std::bit_cast<uint32_t>(value);
        if (bits == seen_[i]) continue;
        seen_[i] = bits;
        plugin_.SetValue(static_cast<int32_t>(i), static_cast<double>(value));
    }
    // A toggle: above zero is enabled. A port never connected leaves the bypass off.
    if (enabledPort_) {
        const float enabled = *enabledPort_;
        const auto bits = std::bit_cast<uint32_t>(enabled);
        if (bits != enabledSeen_ && !std::isnan(enabled)) plugin_.SetBypass(!(enabled > 0.0f));
        enabledSeen_ = bits;
    }
}

void Processor::Run(uint32_t frames)
{
    ApplyControls();
    const bool connected = inputs_[0] && inputs_[1] && outputs_[0] && outputs_[1];
    if (!connected) {
        // The block section still runs, so the latency is known.
        plugin_.Process(static_cast<const float* const*>(nullptr), nullptr, 0);
    } else {
        // One processing call per run, so the block section runs as often as the host
        // calls; only a run beyond the int32 frame count is split.
        uint32_t done = 0;
        do {
            const auto n = static_cast<int32_t>(
                std::min<uint32_t>(frames - done, static_cast<uint32_t>(std::numeric_limits<int32_t>::max())));
            const float* in[2] = {inputs_[0] + done, inputs_[1] + done};
            float* out[2] = {outputs_[0] + done, outputs_[1] + done};
            plugin_.Process(in, out, n);
            done += static_cast<uint32_t>(n);
        } while (done < frames);
    }
    WriteLatencyPort();
}

LV2_State_Status Processor::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!map_) return LV2_STATE_ERR_NO_FEATURE;
    if (!store) return LV2_STATE_ERR_UNKNOWN;
    const void* chunk = nullptr;
    const int32_t size = plugin_.GetState(&chunk);
    if (size <= 0 || !chunk) return LV2_STATE_ERR_UNKNOWN;
    // Little-endian floats of fixed meaning: the same bytes on every machine.
    return store(handle, stateKey_, chunk, static_cast<size_t>(size), chunkType_,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Processor::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (!map_) return LV2_STATE_ERR_NO_FEATURE;
    if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* chunk = retrieve(handle, stateKey_, &size, &type, &flags);
    // Nothing saved: the settings stay as the control ports give them.
    if (!chunk) return LV2_STATE_SUCCESS;
    if (type != chunkType_) return LV2_STATE_ERR_BAD_TYPE;
    const auto bytes = static_cast<int32_t>(std::min<size_t>(size, std::numeric_limits<int32_t>::max()));
    plugin_.SetState(chunk, bytes);
    // The values the ports hold now were there before the chunk: only a port that changes
    // from here on overrides a restored setting. (A host that restores the port values too
    // sets them after this, to the same values as the chunk's.)
    for (uint32_t i = 0; i < kParameterCount; ++i)
        if (controls_[i]) seen_[i] = std::bit_cast<uint32_t>(*controls_[i]);
    return LV2_STATE_SUCCESS;
}

void Processor::BeginEdit(int32_t index)
{
    if (sink_.begin) sink_.begin(sink_.target, static_cast<uint32_t>(index));
}

void Processor::PerformEdit(int32_t index, double value)
{
    if (sink_.change) sink_.change(sink_.target, static_cast<uint32_t>(index), static_cast<float>(value));
}

void Processor::EndEdit(int32_t index)
{
    if (sink_.end) sink_.end(sink_.target, static_cast<uint32_t>(index));
}

bool Processor::EditorSize(int32_t& width, int32_t& height)
{
    if (!editor_) return false;
    width = Plugin::kEditorWidth;
    height = Plugin::kEditorHeight;
    return true;
}

uintptr_t Processor::OpenEditor(ProcessorAccess* access, uintptr_t parent, const EditSink* sink, double hostScale,
                                int* width, int* height)
{
    auto* self = static_cast<Processor*>(access);
    try {
        self->editor_.reset();
        self->sink_ = sink ? *sink : EditSink{};
        auto editor = std::make_unique<EditorWindow>(self->plugin_, parent, hostScale);
        if (!editor->HasWindow()) return 0;
        editor->SetResizeRequest([self](int w, int h) {
            if (self->sink_.resize) self->sink_.resize(self->sink_.target, w, h);
        });
        if (width) *width = editor->Width();
        if (height) *height = editor->Height();
        self->editor_ = std::move(editor);
        return self->editor_->WindowId();
    } catch (...) {
        self->sink_ = EditSink{};
        return 0;
    }
}

void Processor::IdleEditor(ProcessorAccess* access)
{
    auto* self = static_cast<Processor*>(access);
    if (self->editor_) self->editor_->Idle();
}

void Processor::SetEditorScale(ProcessorAccess* access, double hostScale)
{
    auto* self = static_cast<Processor*>(access);
    try {
        if (self->editor_) self->editor_->SetHostScale(hostScale);
    } catch (...) {
    }
}

void Processor::CloseEditor(ProcessorAccess* access)
{
    auto* self = static_cast<Processor*>(access);
    self->editor_.reset();
    self->sink_ = EditSink{};
}

void Processor::SetValue(ProcessorAccess* access, uint32_t index, float value)
{
    if (index < kParameterCount)
        static_cast<Processor*>(access)->plugin_.SetValue(static_cast<int32_t>(index), static_cast<double>(value));
}

// The descriptor's functions: nothing thrown leaves them.

Processor* From(LV2_Handle instance) { return static_cast<Processor*>(static_cast<ProcessorAccess*>(instance)); }

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
    try {
        Processor* self = Processor::Make(rate, features);
        return self ? static_cast<ProcessorAccess*>(self) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data)
{
    if (instance) From(instance)->Connect(port, data);
}

void Activate(LV2_Handle instance)
{
    try {
        if (instance) From(instance)->Activate();
    } catch (...) {
    }
}

void Run(LV2_Handle instance, uint32_t frames)
{
    if (instance) From(instance)->Run(frames);
}

void Deactivate(LV2_Handle instance)
{
    try {
        if (instance) From(instance)->Deactivate();
    } catch (...) {
    }
}

void Cleanup(LV2_Handle instance)
{
    try {
        delete From(instance);
    } catch (...) {
    }
}

LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*)
{
    try {
        return instance ? From(instance)->Save(store, handle) : LV2_STATE_ERR_UNKNOWN;
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, uint32_t,
                         const LV2_Feature* const*)
{
    try {
        return instance ? From(instance)->Restore(retrieve, handle) : LV2_STATE_ERR_UNKNOWN;
    } catch (...) {
        return LV2_STATE_ERR_UNKNOWN;
    }
}

const LV2_State_Interface kStateInterface = {Save, Restore};

const void* ExtensionData(const char* uri)
{
    if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &kStateInterface;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {lv2_uris::kPlugin, Instantiate, ConnectPort,  Activate, Run,
                                    Deactivate,        Cleanup,     ExtensionData};

} // namespace

const LV2_Descriptor* ProcessorDescriptor() noexcept { return &kDescriptor; }
