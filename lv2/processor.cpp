#include "lv2/processor.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "effect/effect.h"
#include "host/vest.h"
#include "lv2/features.h"
#include "lv2/meter_source.h"
#include "lv2/port_layout.h"
#include "lv2/uris.h"
#include "lv2/vst_instance.h"

namespace {

using namespace lv2_ports;

// Bits of a NaN: a port value no look has seen yet; every NaN is ignored anyway.
constexpr uint32_t kNothingSeen = 0xFFFFFFFFu;

class Processor : public MeterSource {
public:
    // Null when the rate is unusable or the instance cannot be made.
    static Processor* Make(double rate, const LV2_Feature* const* features);
    ~Processor();
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

private:
    explicit Processor(CVeST* host);
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    void ReadOptions(const LV2_Options_Option* options);
    void ApplyControls();
    static void TakeMeters(MeterSource* source, MeterReading* reading);

    CVeST* host_;
    TVexlEffect* effect_;
    const LV2_URID_Map* map_ = nullptr;
    LV2_URID stateKey_ = 0;
    LV2_URID chunkType_ = 0;
    const float* controls_[kParameterCount] = {};
    uint32_t seen_[kParameterCount];
    float* inputs_[2] = {};
    float* outputs_[2] = {};
    float* latency_ = nullptr;
    bool active_ = false;
};

Processor::Processor(CVeST* host) : host_(host), effect_(static_cast<TVexlEffect*>(host->effect))
{
    take = &Processor::TakeMeters;
    std::fill(std::begin(seen_), std::end(seen_), kNothingSeen);
}

Processor::~Processor() { Dispatch(effClose); }

Processor* Processor::Make(double rate, const LV2_Feature* const* features)
{
    if (!std::isfinite(rate) || rate < 1.0 || rate > std::numeric_limits<float>::max()) return nullptr;
    CVeST* host = lv2_support::MakeVstInstance();
    if (!host) return nullptr;
    auto* self = new Processor(host);
    if (self->effect_->ParameterCount() != static_cast<int>(kParameterCount)) {
        delete self;
        return nullptr;
    }
    self->map_ = static_cast<const LV2_URID_Map*>(FindFeature(features, LV2_URID__map));
    if (self->map_ && self->map_->map) {
        self->stateKey_ = self->map_->map(self->map_->handle, lv2_uris::kStateChunk);
        self->chunkType_ = self->map_->map(self->map_->handle, LV2_ATOM__Chunk);
    } else {
        self->map_ = nullptr;
    }
    self->Dispatch(effOpen);
    self->Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    self->ReadOptions(static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options)));
    return self;
}

intptr_t Processor::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    AEffect* e = host_ ? host_->getAeffect() : nullptr;
    if (!e) return 0;
    if (opcode == effClose) host_ = nullptr; // the record deletes the instance
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// The largest block the host will run becomes the block size a VST host would set.
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
        if (frames > 0) Dispatch(effSetBlockSize, 0, frames);
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
        latency_ = static_cast<float*>(data);
        break;
    default:
        break;
    }
}

// Mains on: the init section, then the slider section, as at a VST host's resume.
void Processor::Activate()
{
    Dispatch(effMainsChanged, 0, 1);
    active_ = true;
}

void Processor::Deactivate()
{
    Dispatch(effMainsChanged, 0, 0);
    active_ = false;
}

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
        effect_->SetParameterValue(static_cast<int32_t>(i), static_cast<double>(value));
    }
}

void Processor::Run(uint32_t frames)
{
    if (!active_) Activate(); // some hosts run without activating first
    ApplyControls();
    AEffect* e = host_->getAeffect();
    const bool connected = inputs_[0] && inputs_[1] && outputs_[0] && outputs_[1];
    if (!connected) {
        // The block section still runs, so the latency is known.
        float* none[2] = {nullptr, nullptr};
        e->processReplacing(e, none, none, 0);
    } else {
        // One processing call per run, so the block section runs as often as the host
        // calls; only a run beyond the VST frame count is split.
        uint32_t done = 0;
        do {
            const auto n = static_cast<int32_t>(
                std::min<uint32_t>(frames - done, static_cast<uint32_t>(std::numeric_limits<int32_t>::max())));
            float* in[2] = {inputs_[0] + done, inputs_[1] + done};
            float* out[2] = {outputs_[0] + done, outputs_[1] + done};
            e->processReplacing(e, in, out, n);
            done += static_cast<uint32_t>(n);
        } while (done < frames);
    }
    if (latency_) *latency_ = static_cast<float>(host_->initialDelay());
}

LV2_State_Status Processor::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (!map_) return LV2_STATE_ERR_NO_FEATURE;
    if (!store) return LV2_STATE_ERR_UNKNOWN;
    void* chunk = nullptr;
    const intptr_t size = Dispatch(effGetChunk, 0, 0, &chunk);
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
    const auto bytes = static_cast<intptr_t>(std::min<size_t>(size, std::numeric_limits<int32_t>::max()));
    Dispatch(effSetChunk, 0, bytes, const_cast<void*>(chunk));
    // The values the ports hold now were there before the chunk: only a port that changes
    // from here on overrides a restored setting. (A host that restores the port values too
    // sets them after this, to the same values as the chunk's.)
    for (uint32_t i = 0; i < kParameterCount; ++i)
        if (controls_[i]) seen_[i] = std::bit_cast<uint32_t>(*controls_[i]);
    return LV2_STATE_SUCCESS;
}

void Processor::TakeMeters(MeterSource* source, MeterReading* reading)
{
    if (!source || !reading) return;
    DspVariables& dsp = static_cast<Processor*>(source)->effect_->dsp;
    for (int c = 0; c < kChannelCount; ++c)
        for (int b = 0; b < kBandCount; ++b) {
            reading->compression[c][b] = dsp.compMeter[c][b];
            dsp.compMeter[c][b] = 1.0;
        }
    for (int b = 0; b < kBandCount; ++b)
        reading->transient[b] = dsp.transientMeter[b];
    reading->monoInput = dsp.monoInput;
}

// The descriptor's functions: nothing thrown leaves them.

Processor* From(LV2_Handle instance) { return static_cast<Processor*>(static_cast<MeterSource*>(instance)); }

LV2_Handle Instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const* features)
{
    try {
        Processor* self = Processor::Make(rate, features);
        return self ? static_cast<MeterSource*>(self) : nullptr;
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
    try {
        if (instance) From(instance)->Run(frames);
    } catch (...) {
    }
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
