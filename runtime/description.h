#pragma once
// The effect's description: its names and identity and the slider definitions that the
// host sees as parameters, with the conversions between script units and the host's
// normalised 0..1 range.

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/samples.h"

struct SliderDef {
    std::vector<std::string> options;
    bool scanned = false;
    int32_t number = 0;
    SharedValue* mirror = nullptr;
    double defaultValue = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
    double step = 1.0;
    std::string folder;
    std::string spare;
    std::string label;
    std::string name;

    // The value a set stores for `value`: the nearest multiple of the step counted from 0,
    // halves upward; deliberately unclamped.
    double Quantised(double value) const;
};

class CVexlDescription : public CVexlSamples {
public:
    // Appends a definition and answers its parameter index. The constructor of the
    // effect calls it; the list never changes afterwards.
    int AddSlider(int32_t number, SharedValue* mirror, double defaultValue, double minimum, double maximum, double step,
                  const std::string& folder, const std::string& spare, const std::string& label,
                  const std::string& name);
    // Appends an option text to the definition appended last.
    void AddSliderOption(const std::string& text);

    int ParameterCount() const { return static_cast<int>(sliderDefs.size()); }
    // The parameter index of slider `number`; -1 when no parameter shows it.
    int32_t ParameterOfSlider(int32_t number) const;
    bool IsParameter(int32_t index) const { return index >= 0 && index < ParameterCount(); }

    // Host side. An index that names no parameter answers 0 or an empty text and
    // changes nothing.
    float GetParameterNormalized(int32_t index) const;
    void SetParameterNormalized(int32_t index, double normalized);
    // The same from a value in the slider's own units (hosts whose controls carry the
    // slider's range): quantised to the step and stored, unless the value is unchanged or
    // not finite. Any thread; the audio thread hears it from its next block on.
    void SetParameterValue(int32_t index, double value);
    std::string ParameterName(int32_t index) const;
    std::string ParameterLabel(int32_t index) const;
    std::string ParameterDisplay(int32_t index) const;
    // The display text parameter `index` shows when its slider holds `value`.
    std::string ParameterText(int32_t index, double value) const;

    std::vector<SliderDef> sliderDefs;
    std::string effectName;
    std::string productString;
    std::string vendorString;
    std::string programName;
    int32_t vendorVersion = 0;
    int32_t uniqueId = 0;
    int32_t channelCount = 0;

protected:
    CVexlDescription() = default;
    ~CVexlDescription() = default;

    // Lists the data folder of a file-list slider into its options.
    virtual void ListSliderFolder(SliderDef& def);
};
