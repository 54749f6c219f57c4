#include "vst3/effect_object.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "effect/effect.h"
#include "vst3/editor_view.h"
#include "vst3/text16.h"

namespace vst3_plugin {

using namespace vst3;

namespace {

// A state stream is read up to this size; anything longer is no chunk of ours either.
constexpr int32_t kLongestState = 1 << 16;

bool IsStereo(SpeakerArrangement arrangement) { return arrangement == kStereo; }

bool SameText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

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

EffectObject::EffectObject() : plugin_(std::make_unique<Plugin>(static_cast<HostInterface&>(*this)))
{
    parameterCount_ = plugin_->ParameterCount();
    defaults_.reserve(static_cast<size_t>(parameterCount_));
    for (int32_t i = 0; i < parameterCount_; ++i)
        defaults_.push_back(plugin_->GetNormalized(i));
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
    else if (IEditController::iid == iid)
        *object = static_cast<IEditController*>(this);
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
    const int32_t size = plugin_->GetState(&chunk);
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
        // Only a whole chunk, of the size this build saves, is ours.
        const void* own = nullptr;
        if (static_cast<int32_t>(bytes.size()) != plugin_->GetState(&own)) return kResultFalse;
        if (!plugin_->SetState(bytes.data(), static_cast<int32_t>(bytes.size()))) return kResultFalse;
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

// Each queue's last point is the parameter's value for the whole block: changes take effect
// from the start of the block they arrive in.
void EffectObject::ApplyParameterChanges(IParameterChanges* changes) noexcept
{
    if (!changes) return;
    const int32_t count = changes->getParameterCount();
    for (int32_t i = 0; i < count; ++i) {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (!queue) continue;
        const ParamID id = queue->getParameterId();
        const int32_t points = queue->getPointCount();
        int32_t offset = 0;
        ParamValue value = 0.0;
        if (!IsParameter(id) || points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;
        if (std::isfinite(value)) plugin_->SetNormalized(static_cast<int32_t>(id), std::clamp(value, 0.0, 1.0));
    }
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
    ApplyParameterChanges(data.inputParameterChanges);
    context_ = data.processContext;
    if (doubles)
        plugin_->Process(stereo ? in->channelBuffers64 : nullptr, stereo ? out->channelBuffers64 : nullptr,
                         stereo ? frames : 0);
    else
        plugin_->Process(stereo ? in->channelBuffers32 : nullptr, stereo ? out->channelBuffers32 : nullptr,
                         stereo ? frames : 0);
    context_ = nullptr;
    if (out) out->silenceFlags = 0;
    return kResultOk;
}

uint32_t EffectObject::getTailSamples() { return kNoTail; }

// The component state has been set on this very object already.
tresult EffectObject::setComponentState(IBStream* stream) { return stream ? kResultOk : kInvalidArgument; }

// The controller keeps nothing of its own: every setting is in the component state.
tresult EffectObject::GetControllerState(IBStream* stream) { return stream ? kResultOk : kInvalidArgument; }
tresult EffectObject::SetControllerState(IBStream* stream) { return stream ? kResultOk : kInvalidArgument; }

int32_t EffectObject::getParameterCount() { return parameterCount_; }

tresult EffectObject::getParameterInfo(int32_t index, ParameterInfo& info)
{
    if (index < 0 || index >= parameterCount_) return kInvalidArgument;
    try {
        const SliderDef& slider = plugin_->Effect().sliderDefs[static_cast<size_t>(index)];
        std::memset(&info, 0, sizeof info);
        info.id = static_cast<ParamID>(index);
        CopyText16(info.title, plugin_->ParameterName(index));
        CopyText16(info.shortTitle, plugin_->ParameterName(index));
        CopyText16(info.units, plugin_->ParameterLabel(index));
        // Option sliders and switches have one step less than options; the rest are continuous.
        info.stepCount = slider.options.empty() ? 0 : static_cast<int32_t>(slider.options.size()) - 1;
        info.defaultNormalizedValue = defaults_[static_cast<size_t>(index)];
        info.unitId = 0;
        info.flags = ParameterInfo::kCanAutomate | (slider.options.empty() ? 0 : ParameterInfo::kIsList);
    } catch (...) {
        return kOutOfMemory;
    }
    return kResultOk;
}

tresult EffectObject::getParamStringByValue(ParamID id, ParamValue normalized, String128 text)
{
    if (!IsParameter(id) || !text) return kInvalidArgument;
    try {
        // The text the parameter would show once set to `normalized`, quantised as a set is;
        // a value that no set would take shows the one it holds.
        const SliderDef& slider = plugin_->Effect().sliderDefs[id];
        const double value = std::isfinite(normalized)
                                 ? slider.Quantised(slider.minimum + normalized * (slider.maximum - slider.minimum))
                                 : plugin_->GetValue(static_cast<int32_t>(id));
        CopyText16(text, 128, plugin_->Effect().ParameterText(static_cast<int32_t>(id), value));
    } catch (...) {
        return kOutOfMemory;
    }
    return kResultOk;
}

// An option's text (in any case) or a number in the slider's units, as the display shows it.
tresult EffectObject::getParamValueByString(ParamID id, char16_t* text, ParamValue& normalized)
{
    if (!IsParameter(id) || !text) return kInvalidArgument;
    try {
        const SliderDef& slider = plugin_->Effect().sliderDefs[id];
        std::string typed = FromText16(text, 128);
        while (!typed.empty() && std::isspace(static_cast<unsigned char>(typed.back())))
            typed.pop_back();
        typed.erase(0, std::min(typed.find_first_not_of(" \t"), typed.size()));
        for (size_t k = 0; k < slider.options.size(); ++k)
            if (SameText(typed, slider.options[k])) {
                normalized = slider.options.size() > 1 ? static_cast<double>(k) / (slider.options.size() - 1) : 0.0;
                return kResultOk;
            }
        char* end = nullptr;
        const double value = std::strtod(typed.c_str(), &end);
        if (end == typed.c_str() || !std::isfinite(value)) return kResultFalse;
        normalized = plainParamToNormalized(id, value);
    } catch (...) {
        return kOutOfMemory;
    }
    return kResultOk;
}

ParamValue EffectObject::normalizedParamToPlain(ParamID id, ParamValue normalized)
{
    if (!IsParameter(id)) return 0.0;
    const SliderDef& slider = plugin_->Effect().sliderDefs[id];
    return slider.minimum + normalized * (slider.maximum - slider.minimum);
}

ParamValue EffectObject::plainParamToNormalized(ParamID id, ParamValue plain)
{
    if (!IsParameter(id) || !std::isfinite(plain)) return 0.0;
    const SliderDef& slider = plugin_->Effect().sliderDefs[id];
    return std::clamp((plain - slider.minimum) / (slider.maximum - slider.minimum), 0.0, 1.0);
}

ParamValue EffectObject::getParamNormalized(ParamID id)
{
    return IsParameter(id) ? plugin_->GetNormalized(static_cast<int32_t>(id)) : 0.0;
}

tresult EffectObject::setParamNormalized(ParamID id, ParamValue normalized)
{
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
void EffectObject::TellPendingLatency()
{
    if (!latencyChanged_.load(std::memory_order_relaxed) || !latencyAsked_.load(std::memory_order_relaxed)) return;
    latencyChanged_.store(false, std::memory_order_relaxed);
    if (handler_) handler_->restartComponent(kLatencyChanged);
}

void EffectObject::BeginEdit(int32_t index)
{
    if (handler_ && IsParameter(static_cast<ParamID>(index))) handler_->beginEdit(static_cast<ParamID>(index));
}

void EffectObject::PerformEdit(int32_t index, double normalised)
{
    if (handler_ && IsParameter(static_cast<ParamID>(index)))
        handler_->performEdit(static_cast<ParamID>(index), normalised);
}

void EffectObject::EndEdit(int32_t index)
{
    if (handler_ && IsParameter(static_cast<ParamID>(index))) handler_->endEdit(static_cast<ParamID>(index));
}

bool EffectObject::RequestRedraw() { return view_ && view_->Redraw(); }

bool EffectObject::EditorSize(int32_t& width, int32_t& height)
{
    if (!view_ || !view_->IsOpen()) return false;
    width = EditorWindow::kWidth;
    height = EditorWindow::kHeight;
    return true;
}

} // namespace vst3_plugin
