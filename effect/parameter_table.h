#pragma once
// The thirty host parameters, once: number of the slider each shows, port symbol, name, unit
// text, range, step, default and option texts, in the host's parameter order. The effect's
// slider definitions, the editor's controls, the LV2 Turtle, the other formats' parameter
// lists and the tests' names all come from this table.

#include <iterator>

struct ParameterRow {
    int slider;
    const char* symbol; // the LV2 port symbol, kept for saved sessions
    const char* name;
    const char* unit; // the text the editor shows after the value; "" for none
    double defaultValue, minimum, maximum, step;
    const char* option0; // the texts of a two-way choice, else null
    const char* option1;
};

// Host parameter indices by name.
enum class Param : int {
    LoCompress, LmCompress, HmCompress, HiCompress, Compressor,
    LoTransient, LmTransient, HmTransient, HiTransient, Transient,
    LoGain, LmGain, HmGain, HiGain, Eq,
    LoSolo, LmSolo, HmSolo, HiSolo,
    LoBypass, LmBypass, HmBypass, HiBypass,
    Inertia, Punch, Balance, StereoMode, MixLevel, Input, Output,
};

inline constexpr ParameterRow kParameterTable[] = {
    {1, "lo_compress", "LO Compress", "dB", 15, 0, 40, 1, nullptr, nullptr},
    {2, "lm_compress", "LM Compress", "dB", 15, 0, 40, 1, nullptr, nullptr},
    {3, "hm_compress", "HM Compress", "dB", 15, 0, 40, 1, nullptr, nullptr},
    {4, "hi_compress", "HI Compress", "dB", 15, 0, 40, 1, nullptr, nullptr},
    {5, "compressor", "Compressor", "", 1, 0, 1, 1, "Off", "On"},
    {6, "lo_transient", "LO Transient", "", 0, -10, 10, 0.1, nullptr, nullptr},
    {7, "lm_transient", "LM Transient", "", 0, -10, 10, 0.1, nullptr, nullptr},
    {8, "hm_transient", "HM Transient", "", 0, -10, 10, 0.1, nullptr, nullptr},
    {9, "hi_transient", "HI Transient", "", 0, -10, 10, 0.1, nullptr, nullptr},
    {10, "transient", "Transient", "", 1, 0, 1, 1, "Off", "On"},
    {11, "lo_gain", "LO Gain", "dB", 0, -20, 20, 0.1, nullptr, nullptr},
    {12, "lm_gain", "LM Gain", "dB", 0, -20, 20, 0.1, nullptr, nullptr},
    {13, "hm_gain", "HM Gain", "dB", 0, -20, 20, 0.1, nullptr, nullptr},
    {14, "hi_gain", "HI Gain", "dB", 0, -20, 20, 0.1, nullptr, nullptr},
    {15, "eq", "EQ", "", 1, 0, 1, 1, "Off", "On"},
    {16, "lo_solo", "LO Solo", "", 0, 0, 1, 1, "Off", "On"},
    {17, "lm_solo", "LM Solo", "", 0, 0, 1, 1, "Off", "On"},
    {18, "hm_solo", "HM Solo", "", 0, 0, 1, 1, "Off", "On"},
    {19, "hi_solo", "HI Solo", "", 0, 0, 1, 1, "Off", "On"},
    {20, "lo_bypass", "LO Bypass", "", 0, 0, 1, 1, "Off", "On"},
    {21, "lm_bypass", "LM Bypass", "", 0, 0, 1, 1, "Off", "On"},
    {22, "hm_bypass", "HM Bypass", "", 0, 0, 1, 1, "Off", "On"},
    {23, "hi_bypass", "HI Bypass", "", 0, 0, 1, 1, "Off", "On"},
    {30, "inertia", "Inertia", "", 0.5, 0, 1, 0.1, nullptr, nullptr},
    {31, "punch", "Punch", "", 0, 0, 1, 1, "Off", "On"},
    {32, "m_s_balance", "M-S Balance", "dB", 0, -3, 3, 0.1, nullptr, nullptr},
    {33, "stereo_m_s", "Stereo/M-S", "", 1, 0, 1, 1, "Stereo", "M-S"},
    {34, "mix_level", "Mix Level", "", 0, 0, 1, 1, "0dBfs", "K-20"},
    {40, "input", "Input", "dB", 0, -20, 20, 0.1, nullptr, nullptr},
    {41, "output", "Output", "dB", 0, -20, 20, 0.1, nullptr, nullptr},
};

inline constexpr int kParameterTableSize = static_cast<int>(std::size(kParameterTable));
static_assert(kParameterTableSize == static_cast<int>(Param::Output) + 1);

constexpr int ParameterIndex(Param p) { return static_cast<int>(p); }
constexpr const ParameterRow& Row(Param p) { return kParameterTable[ParameterIndex(p)]; }
// The slider a parameter shows, and the parameter `offset` places on (the next bands of a
// per-band group: Band(Param::LoGain, 2) is HM Gain).
constexpr int SliderOf(Param p) { return Row(p).slider; }
constexpr Param Band(Param first, int offset) { return static_cast<Param>(ParameterIndex(first) + offset); }

// The row of slider `number`; the table's end when no parameter shows it.
constexpr const ParameterRow* RowOfSlider(int number)
{
    for (const ParameterRow& row : kParameterTable)
        if (row.slider == number) return &row;
    return nullptr;
}
