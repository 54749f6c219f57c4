#include "effect/effect.h"
#include "effect/identity.h"
#include "effect/parameter_table.h"

#include "runtime/vexl.h"

namespace {

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
    for (int b = 0; b < kBandCount; ++b) {
        for (int c = 0; c < kChannelCount; ++c) {
            meters_.lowest[c][b] = 1.0;
            shownMeter_[c][b] = 1.0;
        }
        meters_.transient[b] = 1.0;
        shownTransient_[b] = 1.0;
    }
    effectName = "Tolvanger";
    productString = "Tolvanger";
    programName = "Tolvanger";
    vendorString = "Calder Forges";
    vendorVersion = kEffectVendorVersion;
    uniqueId = kEffectUniqueId;
    channelCount = 2;
    // Registration order is the host's parameter order. The host's label stays empty: the
    // unit shows in the editor only.
    for (const ParameterRow& row : kParameterTable) {
        AddSlider(row.slider, nullptr, row.defaultValue, row.minimum, row.maximum, row.step, "", "", "", row.name);
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
        if (loopIndex > static_cast<double>(kStateSliders)) break;
    }
}
