#include "effect/effect.h"

namespace {
// The effect's constant texts, numbered from 10000 in this order.
constexpr const char* kConstantStrings[] = {
    "Build 170206", "Courier New", "%.1f", "0", "1", "3", "6", "10", "15", "20", "30", "40", "60", "80", "Arial",
    "M", "S", "M-S Balance", "L", "R", "L-R Balance", "T", "T", "T", "T", "dB", "LO Compress", "dB",
    "LM Compress", "dB", "HM Compress", "dB", "HI Compress", "Comp On/Off", "", "LO Transient", "",
    "LM Transient", "", "HM Transient", "", "HI Transient", "Trans On/Off", "dB", "LO Gain", "dB", "LM Gain",
    "dB", "HM Gain", "dB", "HI Gain", "EQ On/Off", "LO Solo", "LM Solo", "HM Solo", "HI Solo", "LO Bypass",
    "LM Bypass", "HM Bypass", "HI Bypass", "", "Inertia", "dB", "Punch", "Stereo / M-S", "K-20", "dB", "Input",
    "dB", "Output", "Arial",
};
static_assert(sizeof(kConstantStrings) / sizeof(kConstantStrings[0]) == 71);
} // namespace

void TVexlEffect::DefineStrings()
{
    int32_t number = 10000;
    for (const char* text : kConstantStrings) SetString(number++, text);
}
