#include "core/plugin.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/editor_input.h"
#include "effect/effect.h"
#include "effect/parameter_table.h"
#include "runtime/host_interface.h"

static_assert(Plugin::kParameterCount == kParameterTableSize);
static_assert(Plugin::kParameterCount == presets::kValueCount);

namespace {

bool SameText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string_view Trimmed(std::string_view text)
{
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

// What hosts are told of a slider: its definition, with the unit of the parameter table
// where the slider is the table's.
ParameterInfo Describe(const SliderDef& d)
{
    ParameterInfo info;
    info.name = d.name;
    info.unit = d.label;
    if (const ParameterRow* row = RowOfSlider(d.number); info.unit.empty() && row && d.name == row->name)
        info.unit = row->unit;
    info.minimum = d.minimum;
    info.maximum = d.maximum;
    info.step = d.step;
    info.defaultValue = d.defaultValue;
    info.options = d.options;
    const double steps = d.step > 0.0 ? (d.maximum - d.minimum) / d.step : 0.0;
    info.stepCount = std::isfinite(steps) && steps >= 0.0 && steps < 1e6 ? static_cast<int32_t>(std::lround(steps)) : 0;
    info.wholeSteps = d.step == std::floor(d.step) && d.minimum == std::floor(d.minimum);
    return info;
}

} // namespace

Plugin::Plugin() : Plugin(std::make_unique<TVexlEffect>()) {}

Plugin::Plugin(HostInterface& host) : Plugin()
{
    AttachHost(host);
    effect_->DoReset();
}

Plugin::Plugin(std::unique_ptr<TVexl> effect) : effect_(std::move(effect))
{
    parameters_.reserve(effect_->sliderDefs.size());
    for (const SliderDef& d : effect_->sliderDefs)
        parameters_.push_back(Describe(d));
}

Plugin::~Plugin()
{
    Close();
    effect_->hostObject = nullptr;
}

void Plugin::AttachHost(HostInterface& host) noexcept
{
    host_ = &host;
    effect_->hostObject = &host;
}

HostInterface* Plugin::Host() const noexcept { return host_; }

std::string Plugin::EffectName() const { return effect_->effectName; }
std::string Plugin::VendorString() const { return effect_->vendorString; }
std::string Plugin::ProductString() const { return effect_->productString; }
int32_t Plugin::VendorVersion() const noexcept { return effect_->vendorVersion; }
int32_t Plugin::UniqueId() const noexcept { return effect_->uniqueId; }
int32_t Plugin::ChannelCount() const noexcept { return effect_->channelCount; }
std::string Plugin::ProgramName() const { return effect_->programName; }
void Plugin::SetProgramName(const std::string& name) { effect_->programName = name; }

void Plugin::Reset() { effect_->DoReset(); }

void Plugin::Close() noexcept
{
    if (closed_) return;
    closed_ = true;
    effect_->DoClose();
}

void Plugin::Activate() { effect_->DoResume(); }

void Plugin::Deactivate() { effect_->DoSuspend(); }

void Plugin::RequestCleanStart() noexcept { effect_->RequestCleanStart(); }

void Plugin::Process(const float* const* inputs, float* const* outputs, int32_t frames) noexcept
{
    ProcessFrames(*effect_, effect_->channelCount, inputs, outputs, frames);
}

void Plugin::Process(const double* const* inputs, double* const* outputs, int32_t frames) noexcept
{
    ProcessFrames(*effect_, effect_->channelCount, inputs, outputs, frames);
}

int32_t Plugin::ParameterCount() const noexcept { return static_cast<int32_t>(parameters_.size()); }

const ParameterInfo* Plugin::Parameter(int32_t index) const noexcept
{
    return index >= 0 && index < ParameterCount() ? &parameters_[static_cast<size_t>(index)] : nullptr;
}

double Plugin::GetNormalized(int32_t index) const noexcept
{
    return static_cast<double>(effect_->GetParameterNormalized(index));
}

void Plugin::SetNormalized(int32_t index, double normalized) noexcept
{
    effect_->SetParameterNormalized(index, normalized);
}

double Plugin::GetValue(int32_t index) const noexcept
{
    if (!effect_->IsParameter(index)) return 0.0;
    const int32_t number = effect_->sliderDefs[static_cast<size_t>(index)].number;
    return number >= 0 && number < kSliderCount ? static_cast<double>(effect_->sliderValues[number]) : 0.0;
}

void Plugin::SetValue(int32_t index, double value) noexcept { effect_->SetParameterValue(index, value); }

double Plugin::Normalize(int32_t index, double value) const noexcept
{
    const ParameterInfo* p = Parameter(index);
    return p ? (value - p->minimum) / (p->maximum - p->minimum) : 0.0;
}

double Plugin::Denormalize(int32_t index, double normalized) const noexcept
{
    const ParameterInfo* p = Parameter(index);
    return p ? p->minimum + normalized * (p->maximum - p->minimum) : 0.0;
}

double Plugin::Quantize(int32_t index, double value) const noexcept
{
    return effect_->IsParameter(index) ? effect_->sliderDefs[static_cast<size_t>(index)].Quantised(value) : 0.0;
}

std::string Plugin::ParameterName(int32_t index) const { return effect_->ParameterName(index); }

std::string Plugin::ParameterLabel(int32_t index) const { return effect_->ParameterLabel(index); }

std::string Plugin::ParameterDisplay(int32_t index) const { return effect_->ParameterDisplay(index); }

std::string Plugin::ParameterText(int32_t index, double value) const { return effect_->ParameterText(index, value); }

bool Plugin::ParseValue(int32_t index, const std::string& typed, double& value) const
{
    const ParameterInfo* p = Parameter(index);
    if (!p) return false;
    const std::string_view text = Trimmed(typed);
    const size_t options = p->options.size();
    for (size_t k = 0; k < options; ++k) {
        if (!SameText(text, p->options[k])) continue;
        value = options > 1 ? p->minimum + static_cast<double>(k) * (p->maximum - p->minimum) /
                                               static_cast<double>(options - 1)
                            : p->minimum;
        return true;
    }
    const char* begin = text.data();
    const char* end = begin + text.size();
    bool negative = false;
    if (begin < end && (*begin == '+' || *begin == '-')) negative = *begin++ == '-';
    if (begin == end || *begin == '+' || *begin == '-') return false;
    double number = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (error != std::errc() || !std::isfinite(number)) return false;
    const std::string_view unit = Trimmed(std::string_view(stop, static_cast<size_t>(end - stop)));
    if (!unit.empty() && (p->unit.empty() || !SameText(unit, p->unit))) return false;
    value = std::clamp(negative ? -number : number, std::min(p->minimum, p->maximum), std::max(p->minimum, p->maximum));
    return true;
}

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
    if (!data || size < 0) return false;
    float marker = 0.0f;
    const bool ours = size >= static_cast<int32_t>(sizeof marker) &&
                      (std::memcpy(&marker, data, sizeof marker), marker == TVexl::kStateMarker);
    try {
        // The runtime looks at every chunk (its state handle keeps the last one) and loads
        // only one that begins with the marker.
        effect_->SetState(data, size, false);
    } catch (...) {
        return false;
    }
    return ours;
}

bool Plugin::LoadPreset(const presets::Values& values, const std::string& name, PresetEdits edits) noexcept
{
    for (const double value : values)
        if (!std::isfinite(value)) return false;
    const int32_t count = std::min<int32_t>(ParameterCount(), presets::kValueCount);
    presets::Values before{};
    for (int32_t i = 0; i < count; ++i)
        before[static_cast<size_t>(i)] = GetValue(i);
    try {
        effect_->BeginLoad();
    } catch (...) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i)
        effect_->SetParameterValue(i, values[static_cast<size_t>(i)]);
    effect_->EndLoad();
    try {
        SetProgramName(name);
    } catch (...) {
    }
    if (edits == PresetEdits::kTellHost && host_) {
        for (int32_t i = 0; i < count; ++i) {
            const double after = GetValue(i);
            if (after == before[static_cast<size_t>(i)]) continue;
            host_->BeginEdit(i);
            host_->PerformEdit(i, after);
            host_->EndEdit(i);
        }
    }
    return true;
}

presets::Values Plugin::PresetValues() const noexcept
{
    presets::Values values{};
    for (int32_t i = 0; i < std::min<int32_t>(ParameterCount(), presets::kValueCount); ++i)
        values[static_cast<size_t>(i)] = GetValue(i);
    return values;
}

int32_t Plugin::Latency() const noexcept { return effect_->LatencySamples(); }

void Plugin::Paint(gui::DrawContext& context)
{
    PaintScope scope(*this, context);
    if (scope.Active()) DrawSection();
}

void Plugin::DrawSection() { effect_->DoGraphics(); }

void Plugin::MouseDown(double x, double y, int toolkitButtons)
{
    effect_->mouseX = x;
    effect_->mouseY = y;
    effect_->mouseButtons = ToolkitButtonsToMask(toolkitButtons);
    RaiseRedrawRate(*effect_);
}

void Plugin::MouseUp(double x, double y)
{
    effect_->mouseX = x;
    effect_->mouseY = y;
    effect_->mouseButtons = 0;
    effect_->EndEditGestures();
    RaiseRedrawRate(*effect_);
}

void Plugin::MouseMove(double x, double y)
{
    effect_->mouseX = x;
    effect_->mouseY = y;
    RaiseRedrawRate(*effect_);
}

void Plugin::IdleSection() { effect_->DoIdle(); }

void Plugin::PrepareEditorOnly() { effect_->InitEditor(); }
