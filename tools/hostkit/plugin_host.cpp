#include "tools/hostkit/plugin_host.h"

#include <atomic>
#include <cstring>

namespace hostkit {

namespace {
// During the entry call the plug-in has no record yet to pass back; the instance being
// made answers those calls.
thread_local PluginInstance* creating = nullptr;
} // namespace

std::unique_ptr<PluginInstance> PluginInstance::Create(EntryProc entry, intptr_t hostVersion)
{
    if (!entry) return nullptr;
    std::unique_ptr<PluginInstance> instance(new PluginInstance());
    instance->hostVersion_ = hostVersion;
    creating = instance.get();
    AEffect* effect = entry(&PluginInstance::Callback);
    creating = nullptr;
    if (!effect) return nullptr;
    effect->user = instance.get();
    instance->effect_ = effect;
    return instance;
}

PluginInstance::~PluginInstance() { Close(); }

void PluginInstance::Close()
{
    if (!effect_) return;
    effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
    effect_ = nullptr;
}

intptr_t PluginInstance::Callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    PluginInstance* self = effect && effect->user ? static_cast<PluginInstance*>(effect->user) : creating;
    if (!self) return opcode == audioMasterVersion ? 2400 : 0;
    return self->Answer(opcode, index, value, ptr, opt);
}

intptr_t PluginInstance::Answer(int32_t opcode, int32_t index, intptr_t value, void*, float opt)
{
    std::lock_guard<std::mutex> lock(mutex_);
    // A long render makes several calls per block: keep the recent ones only.
    if (calls_.size() >= kKeptCalls) calls_.erase(calls_.begin(), calls_.begin() + kKeptCalls / 2);
    calls_.push_back(HostCall{opcode, index, value, opt});
    ++counts_[opcode];
    switch (opcode) {
    case audioMasterVersion:
        return hostVersion_;
    case audioMasterGetTime:
        if (!timeInfo_) return 0;
        timeAnswer_ = *timeInfo_;
        return reinterpret_cast<intptr_t>(&timeAnswer_);
    default:
        return 0;
    }
}

intptr_t PluginInstance::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (!effect_) return 0;
    if (opcode == effClose) {
        const intptr_t answer = effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
        effect_ = nullptr;
        return answer;
    }
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::Start(float sampleRate, int32_t blockSize)
{
    Dispatch(effOpen);
    Dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    Dispatch(effSetBlockSize, 0, blockSize);
    Dispatch(effMainsChanged, 0, 1);
}

void PluginInstance::SetParameter(int32_t index, float value)
{
    if (effect_) effect_->setParameter(effect_, index, value);
}

float PluginInstance::GetParameter(int32_t index) { return effect_ ? effect_->getParameter(effect_, index) : 0.0f; }

std::string PluginInstance::TextOpcode(int32_t opcode, int32_t index)
{
    char text[512];
    std::memset(text, 0, sizeof text);
    Dispatch(opcode, index, 0, text);
    text[sizeof text - 1] = 0;
    return text;
}

std::string PluginInstance::ParameterName(int32_t index) { return TextOpcode(effGetParamName, index); }
std::string PluginInstance::ParameterLabel(int32_t index) { return TextOpcode(effGetParamLabel, index); }
std::string PluginInstance::ParameterDisplay(int32_t index) { return TextOpcode(effGetParamDisplay, index); }

std::vector<unsigned char> PluginInstance::GetChunk(bool isPreset)
{
    void* data = nullptr;
    const intptr_t size = Dispatch(effGetChunk, isPreset ? 1 : 0, 0, &data);
    if (size <= 0 || !data) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + size);
}

intptr_t PluginInstance::SetChunk(const void* data, int32_t size, bool isPreset)
{
    return Dispatch(effSetChunk, isPreset ? 1 : 0, size, const_cast<void*>(data));
}

int32_t PluginInstance::InitialDelay() const
{
    if (!effect_) return 0;
    return std::atomic_ref<int32_t>(effect_->initialDelay).load(std::memory_order_relaxed);
}

void PluginInstance::Process(float** inputs, float** outputs, int32_t frames)
{
    if (effect_) effect_->processReplacing(effect_, inputs, outputs, frames);
}

void PluginInstance::Process(double** inputs, double** outputs, int32_t frames)
{
    if (effect_) effect_->processDoubleReplacing(effect_, inputs, outputs, frames);
}

void PluginInstance::SetTimeInfo(std::optional<VstTimeInfo> info)
{
    std::lock_guard<std::mutex> lock(mutex_);
    timeInfo_ = info;
}

std::vector<HostCall> PluginInstance::Calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

int PluginInstance::CallCount(int32_t opcode) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = counts_.find(opcode);
    return it == counts_.end() ? 0 : it->second;
}

void PluginInstance::ClearCalls()
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.clear();
    counts_.clear();
}

} // namespace hostkit
