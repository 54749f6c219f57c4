#pragma once
// A small effect on the runtime that counts how often each section runs, wrapped in a
// real CVeST so that the whole host path (AEffect, dispatcher, table) is exercised.

#include <memory>

#include "core/plugin.h"
#include "vst2/effect_table.h"
#include "vst2/vest.h"
#include "runtime/vexl.h"

namespace testing_support {

class CountingEffect : public TVexl {
public:
    CountingEffect()
    {
        effectName = "Counter";
        productString = "Counter";
        programName = "Counter";
        vendorString = "Test";
        vendorVersion = 7;
        uniqueId = 0x434E5452;
        channelCount = 2;
        AddSlider(1, nullptr, 15, 0, 40, 1, "", "", "dB", "Amount");
        AddSlider(2, nullptr, 3, -10, 10, 0.1, "", "", "", "Shape");
        AddSlider(3, nullptr, 1, 0, 1, 1, "", "", "", "Mode");
        AddSliderOption("Stereo");
        AddSliderOption("M-S");
    }

    void DoSlider() override { ++sliderRuns; }
    void DoBlock() override { ++blockRuns; }
    void DoSample() override { ++sampleRuns; }
    void DoInit() override { ++initRuns; }
    void DoSerialize() override
    {
        for (int k = 1; k <= 64; ++k)
            TransferValue(fileHandles[0], sliderValues[k]);
    }

    int sliderRuns = 0;
    int blockRuns = 0;
    int sampleRuns = 0;
    int initRuns = 0;
};

inline intptr_t PlainHostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Owns a CVeST around a plug-in over an effect of the runtime; closing goes through
// effClose like a host.
template <typename Effect> struct HostedEffect {
    HostedEffect()
    {
        auto plugin = std::make_unique<Plugin>(std::make_unique<Effect>());
        effect = static_cast<Effect*>(&plugin->Runtime());
        host = new CVeST(plugin.get(), MakeCallbackTable(), PlainHostCallback, 1, plugin->ParameterCount());
        plugin.release()->AttachHost(*host);
        aeffect = host->getAeffect();
    }
    ~HostedEffect()
    {
        if (aeffect) aeffect->dispatcher(aeffect, effClose, 0, 0, nullptr, 0.0f);
    }
    HostedEffect(const HostedEffect&) = delete;
    HostedEffect& operator=(const HostedEffect&) = delete;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return aeffect->dispatcher(aeffect, opcode, index, value, ptr, opt);
    }

    // A processing call with no frames: the changes made since the last call are taken up
    // (the slider section runs for them), then the block section runs.
    void Block()
    {
        float* none[2] = {nullptr, nullptr};
        aeffect->processReplacing(aeffect, none, none, 0);
    }

    CVeST* host = nullptr;
    Effect* effect = nullptr;
    AEffect* aeffect = nullptr;
};

using CountingInstance = HostedEffect<CountingEffect>;

} // namespace testing_support
