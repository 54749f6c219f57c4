#include "core/plugin.h"

#include <cmath>
#include <cstring>

#include "effect/effect.h"
#include "runtime/host_interface.h"

Plugin::Plugin(HostInterface& host) : host_(host), effect_(std::make_unique<TVexlEffect>())
{
    effect_->hostObject = &host_;
    effect_->DoReset();
}

Plugin::~Plugin()
{
    effect_->DoClose();
    effect_->hostObject = nullptr;
}

void Plugin::Activate()
{
    effect_->DoResume();
}

void Plugin::Deactivate() { effect_->DoSuspend(); }

void Plugin::Process(const float* const* inputs, float* const* outputs, int32_t frames) noexcept
{
    ProcessFrames(*effect_, effect_->channelCount, inputs, outputs, frames);
}

void Plugin::Process(const double* const* inputs, double* const* outputs, int32_t frames) noexcept
{
    ProcessFrames(*effect_, effect_->channelCount, inputs, outputs, frames);
}

int32_t Plugin::ParameterCount() const noexcept { return effect_->ParameterCount(); }

double Plugin::GetNormalized(int32_t index) const noexcept
{
    return static_cast<double>(effect_->GetParameterNormalized(index));
}

void Plugin::SetNormalized(int32_t index, double normalized) noexcept
{
    try {
        effect_->SetParameterNormalized(index, normalized);
    } catch (...) {
    }
}

double Plugin::GetValue(int32_t index) const noexcept
{
    if (!effect_->IsParameter(index)) return 0.0;
    return effect_->sliderValues[effect_->sliderDefs[static_cast<size_t>(index)].number];
}

void Plugin::SetValue(int32_t index, double value) noexcept
{
    try {
        effect_->SetParameterValue(index, value);
    } catch (...) {
    }
}

std::string Plugin::ParameterName(int32_t index) const { return effect_->ParameterName(index); }

std::string Plugin::ParameterLabel(int32_t index) const { return effect_->ParameterLabel(index); }

std::string Plugin::ParameterDisplay(int32_t index) const { return effect_->ParameterDisplay(index); }

int32_t Plugin::GetState(const void** data) noexcept
{
    try {
        void* chunk = nullptr;
        const int32_t size = effect_->GetState(&chunk, false);
        if (size <= 0 || !chunk) return 0;
        if (data) *data = chunk;
        return size;
    } catch (...) {
        return 0;
    }
}

bool Plugin::SetState(const void* data, int32_t size) noexcept
{
    // Only bytes that start with the marker are a chunk; anything else leaves every value.
    if (!data || size < static_cast<int32_t>(sizeof(float))) return false;
    float marker = 0.0f;
    std::memcpy(&marker, data, sizeof marker);
    if (!(marker == TVexl::kStateMarker)) return false;
    try {
        effect_->SetState(data, size, false);
        return true;
    } catch (...) {
        return false;
    }
}

int32_t Plugin::Latency() const noexcept
{
    const double latency = effect_->dsp.latency;
    return std::isfinite(latency) && latency > 0.0 ? ToIndex(latency) : 0;
}
