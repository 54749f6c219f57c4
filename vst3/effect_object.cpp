#include "vst3/effect_object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>

#include "vst3/editor_view.h"
#include "vst3/text16.h"

namespace vst3_plugin {

using namespace vst3;

namespace {

// A state stream is read up to this size; anything longer is no chunk of ours either.
constexpr int32_t kLongestState = 1 << 16;

bool IsStereo(SpeakerArrangement arrangement) { return arrangement == kStereo; }

// More queues than parameters would be a host's fault; those past this many are not read.
constexpr int32_t kMostQueues = 64;

} // namespace

tresult CreateEffectObject(const char* iid, void** object) noexcept
{
    try {
        auto* effect = new EffectObject;
        const tresult result = effect->queryInterface(iid, object);
        effect->release(); // the caller holds the one reference queryInterface added
        return result;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInternalError;
    }
}

// The thirty parameters with their VST 2.4 indices as IDs, then the bypass.
EffectObject::EffectObject() : plugin_(std::make_unique<Plugin>(static_cast<HostInterface&>(*this)))
{
    parameterCount_ = Plugin::kParameterCountWithBypass;
}

EffectObject::~EffectObject()
{
    if (handler_) handler_->release();
}

tresult EffectObject::queryInterface(const char* iid, void** object)
{
    if (!object) return kInvalidArgument;
    *object = nullptr;
    if (!iid) return kNoInterface;
    if (FUnknown::iid == iid || IPluginBase::iid == iid || IComponent::iid == iid)
        *object = static_cast<IComponent*>(this);
    else if (IAudioProcessor::iid == iid)
        *object = static_cast<IAudioProcessor*>(this);
    else if (IProcessContextRequirements::iid == iid)
        *object = static_cast<IProcessContextRequirements*>(this);
    else if (IEditController::iid == iid)
        *object = static_cast<IEditController*>(this);
    else if (IUnitInfo::iid == iid)
        *object = static_cast<IUnitInfo*>(this);
    else
        return kNoInterface;
    addRef();
    return kResultOk;
}

uint32_t EffectObject::addRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t EffectObject::release()
{
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

// Hosts call initialize once through the component and may call it again through the
// controller; both reach this one object.
tresult EffectObject::initialize(FUnknown*) { return kResultOk; }

tresult EffectObject::terminate()
{
    if (active_) setActive(false);
    setComponentHandler(nullptr);
    return kResultOk;
}

// No separate controller class: hosts take the controller from this object.
tresult EffectObject::getControllerClassId(char*) { return kResultFalse; }

tresult EffectObject::setIoMode(int32_t) { return kResultOk; }

int32_t EffectObject::getBusCount(int32_t type, int32_t direction)
{
    return type == kAudio && (direction == kInput || direction == kOutput) ? 1 : 0;
}

tresult EffectObject::getBusInfo(int32_t type, int32_t direction, int32_t index, BusInfo& bus)
{
    if (type != kAudio || index != 0 || (direction != kInput && direction != kOutput)) return kInvalidArgument;
    std::memset(&bus, 0, sizeof bus);
    bus.mediaType = kAudio;
    bus.direction = direction;
    bus.channelCount = 2;
    CopyText16(bus.name, direction == kInput ? "Input" : "Output");
    bus.busType = kMain;
    bus.flags = BusInfo::kDefaultActive;
    return kResultOk;
}

tresult EffectObject::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult EffectObject::activateBus(int32_t type, int32_t direction, int32_t index, TBool)
{
    if (type != kAudio || index != 0 || (direction != kInput && direction != kOutput)) return kInvalidArgument;
    return kResultOk;
}

tresult EffectObject::setActive(TBool state)
{
    const bool on = state != 0;
    if (on == active_) return kResultOk;
    if (on)
        plugin_->Activate();
    else
        plugin_->Deactivate();
    active_ = on;
    TellPendingLatency();
    return kResultOk;
}

tresult EffectObject::GetComponentState(IBStream* stream)
{
    if (!stream) return kInvalidArgument;
    const void* chunk = nullptr;
    const int32_t size = plugin_->GetStateWithBypass(&chunk);
    if (size <= 0 || !chunk) return kInternalError;
    int32_t written = 0;
    if (stream->write(const_cast<void*>(chunk), size, &written) != kResultOk || written != size) return kResultFalse;
    return kResultOk;
}

tresult EffectObject::SetComponentState(IBStream* stream)
{
    if (!stream) return kInvalidArgument;
    try {
        std::vector<unsigned char> bytes;
        unsigned char block[512];
        for (;;) {
            int32_t got = 0;
            if (stream->read(block, sizeof block, &got) != kResultOk || got <= 0) break;
            bytes.insert(bytes.end(), block, block + std::min<int32_t>(got, sizeof block));
            if (static_cast<int32_t>(bytes.size()) > kLongestState) return kResultFalse;
        }
        if (!plugin_->SetStateWithBypass(bytes.data(), static_cast<int32_t>(bytes.size()))) return kResultFalse;
    } catch (...) {
        return kOutOfMemory;
    }
    TellPendingLatency();
    RequestRedraw();
    return kResultOk;
}

tresult EffectObject::setBusArrangements(SpeakerArrangement* inputs, int32_t inputCount,
                                         SpeakerArrangement* outputs, int32_t outputCount)
{
    if (inputCount != 1 || outputCount != 1 || !inputs || !outputs) return kResultFalse;
    return IsStereo(inputs[0]) && IsStereo(outputs[0]) ? kResultOk : kResultFalse;
}

tresult EffectObject::getBusArrangement(int32_t direction, int32_t index, SpeakerArrangement& arrangement)
{
    if (index != 0 || (direction != kInput && direction != kOutput)) return kInvalidArgument;
    arrangement = kStereo;
    return kResultOk;
}

tresult EffectObject::canProcessSampleSize(int32_t size)
{
    return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
}

uint32_t EffectObject::getLatencySamples()
{
    latencyAsked_.store(true, std::memory_order_relaxed);
    latencyChanged_.store(false, std::memory_order_relaxed);
    return static_cast<uint32_t>(std::max(0, latency_.load(std::memory_order_relaxed)));
}

tresult EffectObject::setupProcessing(ProcessSetup& setup)
{
    if (active_) return kResultFalse; // the set-up changes only while switched off
    if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) return kResultFalse;
    if (!(setup.sampleRate > 0.0) || !std::isfinite(setup.sampleRate) || setup.maxSamplesPerBlock < 0)
        return kInvalidArgument;
    sampleRate_.store(setup.sampleRate, std::memory_order_relaxed);
    maxBlock_.store(setup.maxSamplesPerBlock, std::memory_order_relaxed);
    sampleSize_ = setup.symbolicSampleSize;
    return kResultOk;
}

tresult EffectObject::setProcessing(TBool) { return kResultOk; }

// The queues' points in the order of their frames: the block runs up to the next point,
// the points at that frame are applied, and so on, so a change is heard from its frame on,
// as in the other formats. Nothing here allocates.
template <typename Sample>
void EffectObject::ProcessWithChanges(IParameterChanges* changes, Sample** inputs, Sample** outputs,
                                      int32_t frames) noexcept
{
    struct Cursor {
        IParamValueQueue* queue;
        int32_t index;
        int32_t points;
        int32_t next;
    };
    Cursor cursors[kMostQueues];
    int32_t queues = 0;
    const int32_t count = changes ? changes->getParameterCount() : 0;
    for (int32_t i = 0; i < count && queues < kMostQueues; ++i) {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (!queue || !(IsParameter(queue->getParameterId()) || queue->getParameterId() == kProgramChangeId)) continue;
        const int32_t points = queue->getPointCount();
        if (points > 0) cursors[queues++] = {queue, static_cast<int32_t>(queue->getParameterId()), points, 0};
    }
    auto run = [&](int32_t from, int32_t to) {
        if (!inputs || !outputs) {
            plugin_->Process(static_cast<const Sample* const*>(nullptr), static_cast<Sample* const*>(nullptr), 0);
            return;
        }
        const Sample* in[2] = {inputs[0] + from, inputs[1] + from};
        Sample* out[2] = {outputs[0] + from, outputs[1] + from};
        plugin_->Process(in, out, to - from);
    };
    // A point's frame, kept within what is left of the block; a point that cannot be read
    // counts as at the block's end and changes nothing.
    auto frameOf = [&](const Cursor& c, int32_t from, ParamValue& value) {
        int32_t offset = 0;
        if (c.queue->getPoint(c.next, offset, value) != kResultOk) return frames + 1;
        return std::clamp(offset, from, frames);
    };
    int32_t done = 0;
    bool ranAny = false;
    for (;;) {
        int32_t at = frames + 1;
        ParamValue value = 0.0;
        for (int32_t q = 0; q < queues; ++q)
            if (cursors[q].next < cursors[q].points) at = std::min(at, frameOf(cursors[q], done, value));
        if (at > frames) break;
        if (at > done) {
            run(done, at);
            done = at;
            ranAny = true;
        }
        for (int32_t q = 0; q < queues; ++q) {
            Cursor& c = cursors[q];
            while (c.next < c.points && frameOf(c, done, value) <= at) {
                if (c.index == static_cast<int32_t>(kProgramChangeId))
                    ChooseProgramInBlock(value);
                else if (std::isfinite(value))
                    plugin_->SetNormalized(c.index, std::clamp(value, 0.0, 1.0));
                ++c.next;
            }
        }
    }
    // Points past the block's end that could not be read are dropped with their queue.
    if (done < frames || !ranAny) run(done, frames);
}

tresult EffectObject::process(ProcessData& data)
{
    AudioBusBuffers* in = data.numInputs > 0 ? data.inputs : nullptr;
    AudioBusBuffers* out = data.numOutputs > 0 ? data.outputs : nullptr;
    const bool stereo = in && out && in->numChannels >= 2 && out->numChannels >= 2;
    const int32_t frames = std::max(0, data.numSamples);
    const bool doubles = data.symbolicSampleSize == kSample64;
    if (!active_) {
        // Before switching on there is no processor to run: silence.
        if (out && out->numChannels > 0 && frames > 0) {
            for (int32_t c = 0; c < out->numChannels; ++c) {
                if (doubles && out->channelBuffers64 && out->channelBuffers64[c])
                    std::fill_n(out->channelBuffers64[c], frames, 0.0);
                else if (!doubles && out->channelBuffers32 && out->channelBuffers32[c])
                    std::fill_n(out->channelBuffers32[c], frames, 0.0f);
            }
        }
        return kNotInitialized;
    }
    context_ = data.processContext;
    if (doubles) {
        const bool usable = stereo && in->channelBuffers64 && out->channelBuffers64 && in->channelBuffers64[0] &&
                            in->channelBuffers64[1] && out->channelBuffers64[0] && out->channelBuffers64[1];
        ProcessWithChanges(data.inputParameterChanges, usable ? in->channelBuffers64 : nullptr,
                           usable ? out->channelBuffers64 : nullptr, usable ? frames : 0);
    } else {
        const bool usable = stereo && in->channelBuffers32 && out->channelBuffers32 && in->channelBuffers32[0] &&
                            in->channelBuffers32[1] && out->channelBuffers32[0] && out->channelBuffers32[1];
        ProcessWithChanges(data.inputParameterChanges, usable ? in->channelBuffers32 : nullptr,
                           usable ? out->channelBuffers32 : nullptr, usable ? frames : 0);
    }
    context_ = nullptr;
    if (out) out->silenceFlags = 0;
    return kResultOk;
}

uint32_t EffectObject::getTailSamples() { return kNoTail; }

// Tempo and signature, the play and record state, the musical position and the bar start:
// all that the block section asks of the transport.
uint32_t EffectObject::getProcessContextRequirements()
{
    return kNeedTempo | kNeedTimeSignature | kNeedTransportState | kNeedProjectTimeMusic | kNeedBarPositionMusic;
}

// The component state has been set on this very object already.
tresult EffectObject::setComponentState(IBStream* stream) { return stream ? kResultOk : kInvalidArgument; }

// The controller keeps nothing of its own: every setting is in the component state.
tresult EffectObject::GetControllerState(IBStream* stream) { return stream ? kResultOk : kInvalidArgument; }
tresult EffectObject::SetControllerState(IBStream* stream) { return stream ? kResultOk : kInvalidArgument; }

int32_t EffectObject::getParameterCount() { return parameterCount_ + 1; }

tresult EffectObject::getParameterInfo(int32_t index, vst3::ParameterInfo& info)
{
    if (index == ProgramParameterIndex()) return ProgramParameterInfo(info);
    const ::ParameterInfo* parameter = plugin_->Parameter(index);
    if (!parameter) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = static_cast<ParamID>(index);
    CopyText16(info.title, parameter->name);
    CopyText16(info.shortTitle, parameter->name);
    CopyText16(info.units, parameter->unit);
    // Every parameter moves in steps; hosts place automation on them.
    info.stepCount = parameter->stepCount;
    info.defaultNormalizedValue = plugin_->Normalize(index, parameter->defaultValue);
    info.unitId = 0;
    info.flags = vst3::ParameterInfo::kCanAutomate;
    if (parameter->bypass)
        info.flags |= vst3::ParameterInfo::kIsBypass;
    else if (!parameter->options.empty())
        info.flags |= vst3::ParameterInfo::kIsList;
    return kResultOk;
}

tresult EffectObject::getParamStringByValue(ParamID id, ParamValue normalized, String128 text)
{
    if (id == kProgramChangeId && text) {
        CopyText16(text, 128, presets::Factory(ProgramOf(normalized))->name);
        return kResultOk;
    }
    if (!IsParameter(id) || !text) return kInvalidArgument;
    try {
        // The text the parameter would show once set to `normalized`, quantised as a set is;
        // a value that no set would take shows the one it holds.
        const auto index = static_cast<int32_t>(id);
        const double value = std::isfinite(normalized) ? plugin_->Quantize(index, plugin_->Denormalize(index, normalized))
                                                       : plugin_->GetValue(index);
        CopyText16(text, 128, plugin_->ParameterText(index, value));
    } catch (...) {
        return kOutOfMemory;
    }
    return kResultOk;
}

tresult EffectObject::getParamValueByString(ParamID id, char16_t* text, ParamValue& normalized)
{
    if (id == kProgramChangeId && text) {
        try {
            const int32_t program = presets::FindFactory(FromText16(text, 128));
            if (program < 0) return kResultFalse;
            normalized = NormalizedProgram(program);
            return kResultOk;
        } catch (...) {
            return kOutOfMemory;
        }
    }
    if (!IsParameter(id) || !text) return kInvalidArgument;
    try {
        double value = 0.0;
        if (!plugin_->ParseValue(static_cast<int32_t>(id), FromText16(text, 128), value)) return kResultFalse;
        normalized = plainParamToNormalized(id, value);
    } catch (...) {
        return kOutOfMemory;
    }
    return kResultOk;
}

ParamValue EffectObject::normalizedParamToPlain(ParamID id, ParamValue normalized)
{
    if (id == kProgramChangeId) return ProgramOf(normalized);
    return IsParameter(id) ? plugin_->Denormalize(static_cast<int32_t>(id), normalized) : 0.0;
}

ParamValue EffectObject::plainParamToNormalized(ParamID id, ParamValue plain)
{
    if (id == kProgramChangeId && std::isfinite(plain))
        return NormalizedProgram(static_cast<int32_t>(std::lround(std::clamp(plain, 0.0, 1e6))));
    if (!IsParameter(id) || !std::isfinite(plain)) return 0.0;
    return std::clamp(plugin_->Normalize(static_cast<int32_t>(id), plain), 0.0, 1.0);
}

ParamValue EffectObject::getParamNormalized(ParamID id)
{
    if (id == kProgramChangeId) return NormalizedProgram(std::max(0, program_.load(std::memory_order_relaxed)));
    return IsParameter(id) ? plugin_->GetNormalized(static_cast<int32_t>(id)) : 0.0;
}

tresult EffectObject::setParamNormalized(ParamID id, ParamValue normalized)
{
    if (id == kProgramChangeId && std::isfinite(normalized)) {
        ChooseProgram(ProgramOf(normalized));
        return kResultOk;
    }
    if (!IsParameter(id) || !std::isfinite(normalized)) return kInvalidArgument;
    plugin_->SetNormalized(static_cast<int32_t>(id), std::clamp(normalized, 0.0, 1.0));
    return kResultOk;
}

tresult EffectObject::setComponentHandler(IComponentHandler* handler)
{
    if (handler == handler_) return kResultOk;
    if (handler) handler->addRef();
    if (handler_) handler_->release();
    handler_ = handler;
    return kResultOk;
}

IPlugView* EffectObject::createView(FIDString name)
{
    if (!name || std::strcmp(name, kEditorViewType) != 0) return nullptr;
    try {
        return new EditorView(*this);
    } catch (...) {
        return nullptr;
    }
}

HostTransport EffectObject::Transport()
{
    HostTransport transport;
    const ProcessContext* context = context_;
    if (!context) return transport;
    transport.valid = true;
    transport.playing = (context->state & ProcessContext::kPlaying) != 0;
    transport.recording = (context->state & ProcessContext::kRecording) != 0;
    if (context->state & ProcessContext::kTempoValid) transport.tempo = context->tempo;
    if (context->state & ProcessContext::kTimeSigValid) {
        transport.numerator = context->timeSigNumerator;
        transport.denominator = context->timeSigDenominator;
    }
    if (context->state & ProcessContext::kProjectTimeMusicValid) transport.musicalPosition = context->projectTimeMusic;
    if (context->state & ProcessContext::kBarPositionValid) transport.barStart = context->barPositionMusic;
    return transport;
}

void EffectObject::AnnounceLatency(int32_t samples)
{
    if (latency_.exchange(samples, std::memory_order_relaxed) != samples)
        latencyChanged_.store(true, std::memory_order_relaxed);
}

void EffectObject::StoreLatency(int32_t samples) { AnnounceLatency(samples); }

// The host learns of a change through restartComponent, from a thread that may call it
// (switching on, a state load, the editor's timer), once it could have read the old value.
// A program the audio thread chose from the parameter queues is told the same way.
void EffectObject::TellPendingLatency()
{
    if (programValuesChanged_.exchange(false, std::memory_order_relaxed) && handler_)
        handler_->restartComponent(kParamValuesChanged);
    if (!latencyChanged_.load(std::memory_order_relaxed) || !latencyAsked_.load(std::memory_order_relaxed)) return;
    latencyChanged_.store(false, std::memory_order_relaxed);
    if (handler_) handler_->restartComponent(kLatencyChanged);
}

void EffectObject::BeginEdit(int32_t index)
{
    if (handler_ && IsParameter(static_cast<ParamID>(index))) handler_->beginEdit(static_cast<ParamID>(index));
}

void EffectObject::PerformEdit(int32_t index, double value)
{
    if (handler_ && IsParameter(static_cast<ParamID>(index)))
        handler_->performEdit(static_cast<ParamID>(index), plugin_->Normalize(index, value));
}

void EffectObject::EndEdit(int32_t index)
{
    if (handler_ && IsParameter(static_cast<ParamID>(index))) handler_->endEdit(static_cast<ParamID>(index));
}

bool EffectObject::RequestRedraw() { return view_ && view_->Redraw(); }

bool EffectObject::EditorSize(int32_t& width, int32_t& height)
{
    if (!view_ || !view_->IsOpen()) return false;
    width = Plugin::kEditorWidth;
    height = Plugin::kEditorHeight;
    return true;
}

} // namespace vst3_plugin
