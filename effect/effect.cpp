#include "effect/effect.h"

#include "runtime/vexl.h"

namespace {

struct SliderRow {
    int number;
    const char* name;
    double defaultValue, minimum, maximum, step;
    const char* option0;
    const char* option1;
};

// Registration order is the host's parameter order.
constexpr SliderRow kSliders[] = {
    {1, "LO Compress", 15, 0, 40, 1, nullptr, nullptr},
    {2, "LM Compress", 15, 0, 40, 1, nullptr, nullptr},
    {3, "HM Compress", 15, 0, 40, 1, nullptr, nullptr},
    {4, "HI Compress", 15, 0, 40, 1, nullptr, nullptr},
    {5, "Compressor", 1, 0, 1, 1, "Off", "On"},
    {6, "LO Transient", 0, -10, 10, 0.1, nullptr, nullptr},
    {7, "LM Transient", 0, -10, 10, 0.1, nullptr, nullptr},
    {8, "HM Transient", 0, -10, 10, 0.1, nullptr, nullptr},
    {9, "HI Transient", 0, -10, 10, 0.1, nullptr, nullptr},
    {10, "Transient", 1, 0, 1, 1, "Off", "On"},
    {11, "LO Gain", 0, -20, 20, 0.1, nullptr, nullptr},
    {12, "LM Gain", 0, -20, 20, 0.1, nullptr, nullptr},
    {13, "HM Gain", 0, -20, 20, 0.1, nullptr, nullptr},
    {14, "HI Gain", 0, -20, 20, 0.1, nullptr, nullptr},
    {15, "EQ", 1, 0, 1, 1, "Off", "On"},
    {16, "LO Solo", 0, 0, 1, 1, "Off", "On"},
    {17, "LM Solo", 0, 0, 1, 1, "Off", "On"},
    {18, "HM Solo", 0, 0, 1, 1, "Off", "On"},
    {19, "HI Solo", 0, 0, 1, 1, "Off", "On"},
    {20, "LO Bypass", 0, 0, 1, 1, "Off", "On"},
    {21, "LM Bypass", 0, 0, 1, 1, "Off", "On"},
    {22, "HM Bypass", 0, 0, 1, 1, "Off", "On"},
    {23, "HI Bypass", 0, 0, 1, 1, "Off", "On"},
    {30, "Inertia", 0.5, 0, 1, 0.1, nullptr, nullptr},
    {31, "Punch", 0, 0, 1, 1, "Off", "On"},
    {32, "M-S Balance", 0, -3, 3, 0.1, nullptr, nullptr},
    {33, "Stereo/M-S", 1, 0, 1, 1, "Stereo", "M-S"},
    {34, "Mix Level", 0, 0, 1, 1, "0dBfs", "K-20"},
    {40, "Input", 0, -20, 20, 0.1, nullptr, nullptr},
    {41, "Output", 0, -20, 20, 0.1, nullptr, nullptr},
};

// A block of script variables, set to 0 one value at a time so that a reset racing
// with another thread stays free of data races.
template <typename Block> void ZeroValues(Block& block) noexcept
{
    static_assert(std::is_standard_layout_v<Block> && sizeof(Block) % sizeof(SharedValue) == 0);
    auto* values = reinterpret_cast<SharedValue*>(&block);
    for (size_t i = 0; i < sizeof(Block) / sizeof(SharedValue); ++i)
        values[i] = 0.0;
}

} // namespace

TVexlEffect::TVexlEffect()
{
    effectName = "Tolvanger";
    productString = "Tolvanger";
    programName = "Tolvanger";
    vendorString = "Calder Forges";
    vendorVersion = 1000;
    uniqueId = ('T' << 24) | ('L' << 16) | ('V' << 8) | 'G';
    channelCount = 2;
    for (const SliderRow& row : kSliders) {
        AddSlider(row.number, nullptr, row.defaultValue, row.minimum, row.maximum, row.step, "", "", "", row.name);
        if (row.option0) {
            AddSliderOption(row.option0);
            AddSliderOption(row.option1);
        }
    }
}

TVexlEffect::~TVexlEffect() = default;

void TVexlEffect::ResetVariables() noexcept
{
    srate = 0;
    numChannels = 0;
    samplesBlock = 0;
    tempo = 0;
    tsNum = 0;
    tsDenom = 0;
    for (SharedValue& v : sliderValue)
        v = 0;
    loopIndex = 0;
    ZeroValues(dsp);
    ZeroValues(editor);
    // The band path's state is the audio thread's: it clears it at its next block.
    resetCount_.fetch_add(1, std::memory_order_release);
}

void TVexlEffect::DoReset()
{
    TVexl::DoReset();
    ResetVariables();
    fileNameTable[0] = "tolvanger_gfx\\bg.png";
    fileNameTable[1] = "tolvanger_gfx\\sliderknob.png";
    DefineStrings();
}

void TVexlEffect::DoSerialize()
{
    FileHandle& state = fileHandles[0];
    loopIndex = 1.0;
    // The loop guard of translated script loops.
    for (int pass = 0; pass < 1000000; ++pass) {
        const int32_t k = ToIndex(loopIndex) & 127;
        TransferValue(state, sliderValues[k]);
        loopIndex = loopIndex + 1.0;
        if (loopIndex > 64.0) break;
    }
}
