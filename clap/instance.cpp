#include "clap/instance.h"

#include <algorithm>
#include <cstring>

#include "clap/descriptor.h"
#include "clap/editor.h"

namespace clap_adapter {

namespace {

template <typename Extension> const Extension* HostExtension(const clap_host_t* host, const char* id)
{
    return host->get_extension ? static_cast<const Extension*>(host->get_extension(host, id)) : nullptr;
}

HostTransport ToHostTransport(const clap_event_transport_t* t)
{
    HostTransport out;
    if (!t) return out;
    out.valid = true;
    if (t->flags & CLAP_TRANSPORT_HAS_TEMPO) out.tempo = t->tempo;
    if (t->flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) {
        out.numerator = t->tsig_num;
        out.denominator = t->tsig_denom;
    }
    out.playing = (t->flags & CLAP_TRANSPORT_IS_PLAYING) != 0;
    out.recording = (t->flags & CLAP_TRANSPORT_IS_RECORDING) != 0;
    if (t->flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
        out.musicalPosition = static_cast<double>(t->song_pos_beats) / CLAP_BEATTIME_FACTOR;
        out.barStart = static_cast<double>(t->bar_start) / CLAP_BEATTIME_FACTOR;
    }
    return out;
}

} // namespace

Instance::Instance(const clap_host_t* clapHost) : plugin(*this), host(clapHost)
{
    clap_ = {&kDescriptor,    this,           Init,  Destroy, Activate,  Deactivate,
             StartProcessing, StopProcessing, Reset, Process, Extension, OnMainThreadCallback};
}

Instance::~Instance() = default;

Instance* Instance::From(const clap_plugin_t* plugin) noexcept
{
    if (!plugin || plugin->desc != &kDescriptor || !plugin->plugin_data) return nullptr;
    return static_cast<Instance*>(plugin->plugin_data);
}

bool Instance::OnMainThread() const noexcept { return !threadCheck || threadCheck->is_main_thread(host); }

bool Instance::OnAudioThread() const noexcept { return !threadCheck || threadCheck->is_audio_thread(host); }

bool Instance::Init(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (!self || self->initialised_) return self != nullptr;
    const clap_host_t* h = self->host;
    self->threadCheck = HostExtension<clap_host_thread_check_t>(h, CLAP_EXT_THREAD_CHECK);
    if (self->threadCheck && (!self->threadCheck->is_main_thread || !self->threadCheck->is_audio_thread))
        self->threadCheck = nullptr;
    if (!self->OnMainThread()) return false;
    self->hostParams = HostExtension<clap_host_params_t>(h, CLAP_EXT_PARAMS);
    self->hostLatency = HostExtension<clap_host_latency_t>(h, CLAP_EXT_LATENCY);
    self->hostTimer = HostExtension<clap_host_timer_support_t>(h, CLAP_EXT_TIMER_SUPPORT);
    self->hostFd = HostExtension<clap_host_posix_fd_support_t>(h, CLAP_EXT_POSIX_FD_SUPPORT);
    self->hostGui = HostExtension<clap_host_gui_t>(h, CLAP_EXT_GUI);
    self->initialised_ = true;
    return true;
}

void Instance::Destroy(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (!self) return;
    // Some hosts destroy an active instance; it is switched off first.
    if (self->active_.load()) self->plugin.Deactivate();
    CloseEditor(*self);
    self->clap_.plugin_data = nullptr;
    delete self;
}

bool Instance::Activate(const clap_plugin_t* plugin, double sampleRate, uint32_t minFrames, uint32_t maxFrames)
{
    Instance* self = From(plugin);
    if (!self || !self->initialised_ || self->active_.load() || !self->OnMainThread()) return false;
    if (!(sampleRate > 0.0) || sampleRate > 1e7 || maxFrames == 0 || minFrames > maxFrames) return false;
    self->sampleRate_ = sampleRate;
    self->maxFrames_ = static_cast<double>(maxFrames);
    self->activating_ = true;
    self->plugin.Activate();
    self->activating_ = false;
    self->active_.store(true);
    return true;
}

void Instance::Deactivate(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (!self || !self->active_.load() || !self->OnMainThread()) return;
    self->processing_.store(false);
    self->active_.store(false);
    self->plugin.Deactivate();
}

bool Instance::StartProcessing(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (!self || !self->active_.load() || !self->OnAudioThread()) return false;
    self->processing_.store(true);
    return true;
}

void Instance::StopProcessing(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (!self || !self->OnAudioThread()) return;
    self->processing_.store(false);
}

// The processing starts afresh at the next block, as after activation; settings stay.
void Instance::Reset(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (self && self->OnAudioThread()) self->plugin.RequestCleanStart();
}

int32_t Instance::Process(const clap_plugin_t* plugin, const clap_process_t* process)
{
    Instance* self = From(plugin);
    // Processing before activation, or off the audio thread, is refused.
    if (!self || !process || !self->active_.load() || !self->OnAudioThread()) return CLAP_PROCESS_ERROR;
    return self->ProcessBlock(*process);
}

template <typename Sample>
void Instance::RunFrames(Sample* const* inputs, Sample* const* outputs, uint32_t from, uint32_t to) noexcept
{
    if (!inputs || !outputs) {
        plugin.Process(static_cast<const Sample* const*>(nullptr), static_cast<Sample* const*>(nullptr), 0);
        return;
    }
    const Sample* in[2] = {inputs[0] + from, inputs[1] + from};
    Sample* out[2] = {outputs[0] + from, outputs[1] + from};
    plugin.Process(in, out, static_cast<int32_t>(to - from));
}

int32_t Instance::ProcessBlock(const clap_process_t& p) noexcept
{
    transport_ = ToHostTransport(p.transport);
    SendEdits(p.out_events);

    // One stereo input and one stereo output, both 32-bit or both 64-bit.
    float* const* in32 = nullptr;
    float* const* out32 = nullptr;
    double* const* in64 = nullptr;
    double* const* out64 = nullptr;
    bool buffersUsable = false;
    if (p.audio_inputs && p.audio_outputs && p.audio_inputs_count >= 1 && p.audio_outputs_count >= 1 &&
        p.audio_inputs[0].channel_count >= 2 && p.audio_outputs[0].channel_count >= 2) {
        const clap_audio_buffer_t& in = p.audio_inputs[0];
        const clap_audio_buffer_t& out = p.audio_outputs[0];
        if (in.data64 && out.data64 && in.data64[0] && in.data64[1] && out.data64[0] && out.data64[1]) {
            in64 = in.data64;
            out64 = out.data64;
            buffersUsable = true;
        } else if (in.data32 && out.data32 && in.data32[0] && in.data32[1] && out.data32[0] && out.data32[1]) {
            in32 = in.data32;
            out32 = out.data32;
            buffersUsable = true;
        }
    }
    const uint32_t frames = buffersUsable ? std::min<uint32_t>(p.frames_count, INT32_MAX) : 0;

    // The block runs in pieces between the parameter events, each piece with its own block
    // section, as a VST host that set the parameter between two calls would have it.
    auto run = [&](uint32_t from, uint32_t to) {
        if (out64)
            RunFrames(in64, out64, from, to);
        else
            RunFrames(in32, out32, from, to);
    };
    uint32_t done = 0;
    bool ranAny = false;
    const clap_input_events_t* events = p.in_events;
    const uint32_t count = events && events->size && events->get ? events->size(events) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const clap_event_header_t* event = events->get(events, i);
        if (!event) continue;
        const uint32_t at = std::clamp(event->time, done, frames);
        if (at > done) {
            run(done, at);
            done = at;
            ranAny = true;
        }
        ApplyParameterEvent(event);
    }
    if (done < frames || !ranAny) run(done, frames);
    return buffersUsable ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
}

void Instance::ApplyParameterEvent(const clap_event_header_t* event) noexcept
{
    if (event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE ||
        event->size < sizeof(clap_event_param_value_t))
        return;
    const auto* change = reinterpret_cast<const clap_event_param_value_t*>(event);
    if (change->param_id >= static_cast<uint32_t>(Plugin::kParameterCountWithBypass)) return;
    // A NaN or infinite value changes nothing (the slider model refuses it).
    plugin.SetValue(static_cast<int32_t>(change->param_id), change->value);
}

void Instance::SendEdits(const clap_output_events_t* out) noexcept
{
    Edit edit{};
    while (edits_.Pop(edit)) {
        if (!out || !out->try_push) continue;
        if (edit.kind == EditKind::kValue) {
            clap_event_param_value_t e{};
            e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
            e.param_id = static_cast<clap_id>(edit.index);
            e.note_id = -1;
            e.port_index = -1;
            e.channel = -1;
            e.key = -1;
            e.value = edit.value;
            out->try_push(out, &e.header);
        } else {
            clap_event_param_gesture_t e{};
            const uint16_t type =
                edit.kind == EditKind::kBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
            e.header = {sizeof e, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
            e.param_id = static_cast<clap_id>(edit.index);
            out->try_push(out, &e.header);
        }
    }
}

void Instance::ValuesChanged() noexcept
{
    if (hostParams && hostParams->rescan) hostParams->rescan(host, CLAP_PARAM_RESCAN_VALUES);
    RequestRedraw();
}

const void* Instance::Extension(const clap_plugin_t* plugin, const char* id)
{
    if (!From(plugin) || !id) return nullptr;
    struct Offer {
        const char* id;
        const void* extension;
    };
    const Offer offers[] = {
        {CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
        {CLAP_EXT_PARAMS, &kParams},
        {CLAP_EXT_STATE, &kState},
        {CLAP_EXT_LATENCY, &kLatency},
        {CLAP_EXT_RENDER, &kRender},
        {CLAP_EXT_GUI, &kGui},
        {CLAP_EXT_TIMER_SUPPORT, &kTimerSupport},
        {CLAP_EXT_PRESET_LOAD, &kPresetLoad},
        {CLAP_EXT_PRESET_LOAD_COMPAT, &kPresetLoad},
#if !defined(_WIN32)
        {CLAP_EXT_POSIX_FD_SUPPORT, &kPosixFdSupport},
#endif
    };
    for (const Offer& offer : offers)
        if (std::strcmp(id, offer.id) == 0) return offer.extension;
    return nullptr;
}

void Instance::OnMainThreadCallback(const clap_plugin_t* plugin)
{
    Instance* self = From(plugin);
    if (!self || !self->OnMainThread()) return;
    // A latency the block section found: CLAP lets it change only during activation.
    if (self->latencyPending_.exchange(false) && self->active_.load() && self->host->request_restart)
        self->host->request_restart(self->host);
    EditorIdle(*self);
}

void Instance::AnnounceLatency(int32_t samples)
{
    const int32_t before = latency.exchange(samples);
    if (samples == before) return;
    if (activating_) {
        if (hostLatency && hostLatency->changed) hostLatency->changed(host);
    } else if (active_.load() && host->request_restart) {
        host->request_restart(host);
    }
}

void Instance::StoreLatency(int32_t samples)
{
    // The audio thread calls no host function but the thread-safe request_callback.
    if (latency.exchange(samples) != samples) {
        latencyPending_.store(true);
        if (host->request_callback) host->request_callback(host);
    }
}

void Instance::AskForEditDelivery() noexcept
{
    if (hostParams && hostParams->request_flush)
        hostParams->request_flush(host);
    else if (host->request_process)
        host->request_process(host);
}

void Instance::BeginEdit(int32_t index)
{
    edits_.Push({EditKind::kBegin, index});
    AskForEditDelivery();
}

// Each value event carries the value of its own step of the gesture.
void Instance::PerformEdit(int32_t index, double value)
{
    edits_.Push({EditKind::kValue, index, value});
    AskForEditDelivery();
}

void Instance::EndEdit(int32_t index)
{
    edits_.Push({EditKind::kEnd, index});
    AskForEditDelivery();
}

bool Instance::RequestRedraw() { return EditorRedraw(*this); }

bool Instance::EditorSize(int32_t& width, int32_t& height) { return EditorDimensions(*this, width, height); }

} // namespace clap_adapter
