#include "runtime/description.h"

#include <cmath>
#include <cstdio>

#include "runtime/paths.h"

int CVexlDescription::AddSlider(int32_t number, SharedValue* mirror, double defaultValue, double minimum,
                                double maximum, double step, const std::string& folder, const std::string& spare,
                                const std::string& label, const std::string& name)
{
    StoreSlider(number, defaultValue);
    SliderDef def;
    def.number = number;
    def.mirror = mirror;
    def.defaultValue = defaultValue;
    def.minimum = minimum;
    def.maximum = maximum;
    def.step = step;
    def.folder = folder;
    def.spare = spare;
    def.label = label;
    def.name = name;
    sliderDefs.push_back(std::move(def));
    SliderDef& added = sliderDefs.back();
    if (!added.scanned) {
        added.scanned = true;
        if (!added.folder.empty()) ListSliderFolder(added);
    }
    return static_cast<int>(sliderDefs.size()) - 1;
}

void CVexlDescription::ListSliderFolder(SliderDef& def) { ListDataFiles(def); }

void CVexlDescription::AddSliderOption(const std::string& text)
{
    if (!sliderDefs.empty()) sliderDefs.back().options.push_back(text);
}

double SliderDef::Quantised(double value) const { return step * std::floor((value + step * 0.5) / step); }

namespace {
bool ValidNumber(int32_t number) { return number >= 0 && number < kSliderCount; }
} // namespace

float CVexlDescription::GetParameterNormalized(int32_t index) const
{
    if (!IsParameter(index)) return 0.0f;
    const SliderDef& d = sliderDefs[index];
    if (!ValidNumber(d.number)) return 0.0f;
    const double v = sliderValues[d.number];
    return static_cast<float>((v - d.minimum) / (d.maximum - d.minimum));
}

void CVexlDescription::SetParameterNormalized(int32_t index, double x)
{
    if (!IsParameter(index)) return;
    const SliderDef& d = sliderDefs[index];
    SetParameterValue(index, d.minimum + x * (d.maximum - d.minimum));
}

void CVexlDescription::SetParameterValue(int32_t index, double u)
{
    if (!IsParameter(index)) return;
    // A host that sends NaN or infinity gets no change rather than a poisoned slider.
    if (!std::isfinite(u)) return;
    const SliderDef& d = sliderDefs[index];
    if (!ValidNumber(d.number)) return;
    const double q = d.Quantised(u);
    const double difference = q - sliderValues[d.number];
    if (difference > -0.00001 && difference < 0.00001) return;
    StoreSlider(d.number, q);
    if (d.mirror) *d.mirror = q;
}

std::string CVexlDescription::ParameterName(int32_t index) const
{
    return IsParameter(index) ? sliderDefs[index].name : std::string();
}

std::string CVexlDescription::ParameterLabel(int32_t index) const
{
    return IsParameter(index) ? sliderDefs[index].label : std::string();
}

std::string CVexlDescription::ParameterDisplay(int32_t index) const
{
    if (!IsParameter(index)) return {};
    const SliderDef& d = sliderDefs[index];
    if (!ValidNumber(d.number)) return {};
    return ParameterText(index, sliderValues[d.number]);
}

std::string CVexlDescription::ParameterText(int32_t index, double v) const
{
    if (!IsParameter(index)) return {};
    const SliderDef& d = sliderDefs[index];
    const size_t n = d.options.size();
    if (n == 0) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", v);
        return text;
    }
    const double k = (v - d.minimum) * static_cast<double>(n - 1) / (d.maximum - d.minimum);
    // Clamp in floating point first: a NaN or a huge k must never reach an integer cast.
    size_t option = 0;
    if (k >= static_cast<double>(n - 1))
        option = n - 1;
    else if (k >= 1.0)
        option = static_cast<size_t>(k);
    return d.options[option];
}

int32_t CVexlDescription::ParameterOfSlider(int32_t number) const
{
    for (size_t i = 0; i < sliderDefs.size(); ++i)
        if (sliderDefs[i].number == number) return static_cast<int32_t>(i);
    return -1;
}
