// The VST 3 effect object through its interfaces, with everything a careless host might do
// from the fuzz input: any processing set-up (rates, block sizes, sample sizes, bus
// arrangements), switching on and off in any order, processing with missing buffers and
// parameter-change queues of any IDs, offsets and values (NaN, infinities, huge), states of
// any bytes, and typed parameter texts. Nothing may crash, and a state the effect saves is
// always a whole chunk and the bypass.

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_instance.h"
#include "tests/vst3_host.h"
#include "vst3/effect_object.h"

namespace {

using namespace vst3;
using fuzzing::Reader;

constexpr int32_t kLongestBlock = 1024;

struct Released {
    void operator()(IComponent* c) const
    {
        c->terminate();
        c->release();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader input(data, size);
    void* object = nullptr;
    if (vst3_plugin::CreateEffectObject(IComponent::iid.bytes, &object) != kResultOk) return 0;
    std::unique_ptr<IComponent, Released> component(static_cast<IComponent*>(object));
    component->initialize(nullptr);
    auto* processor = vst3_host::Query<IAudioProcessor>(component.get());
    auto* controller = vst3_host::Query<IEditController>(component.get());
    if (!processor || !controller) std::abort();

    std::vector<float> floats(4 * kLongestBlock);
    std::vector<double> doubles(4 * kLongestBlock);
    for (int step = 0; step < 64 && input.Left() > 0; ++step) {
        switch (input.Take<uint8_t>() % 7) {
        case 0: {
            ProcessSetup setup{kRealtime, input.Take<uint8_t>() % 3, input.Take<int32_t>(), input.Take<double>()};
            processor->setupProcessing(setup);
            break;
        }
        case 1:
            component->setActive(input.Take<uint8_t>() & 1);
            processor->setProcessing(true);
            break;
        case 2: {
            vst3_host::ParameterChanges changes;
            for (int q = input.Take<uint8_t>() % 4; q > 0; --q)
                changes.Add(input.Take<uint8_t>() % 40, input.Take<int32_t>(), input.Take<double>());
            const uint8_t shape = input.Take<uint8_t>();
            const int32_t frames = input.Take<int16_t>() % (kLongestBlock + 1);
            float* in32[2] = {floats.data(), floats.data() + kLongestBlock};
            float* out32[2] = {floats.data() + 2 * kLongestBlock, floats.data() + 3 * kLongestBlock};
            double* in64[2] = {doubles.data(), doubles.data() + kLongestBlock};
            double* out64[2] = {doubles.data() + 2 * kLongestBlock, doubles.data() + 3 * kLongestBlock};
            AudioBusBuffers in{};
            AudioBusBuffers out{};
            in.numChannels = out.numChannels = shape & 4 ? 1 : 2;
            const bool wide = shape & 1;
            const bool inPlace = shape & 2;
            if (wide) {
                in.channelBuffers64 = shape & 8 ? nullptr : in64;
                out.channelBuffers64 = inPlace ? in.channelBuffers64 : out64;
            } else {
                in.channelBuffers32 = shape & 8 ? nullptr : in32;
                out.channelBuffers32 = inPlace ? in.channelBuffers32 : out32;
            }
            ProcessData process{};
            process.symbolicSampleSize = wide ? kSample64 : kSample32;
            process.numSamples = frames;
            process.numInputs = shape & 16 ? 0 : 1;
            process.numOutputs = 1;
            process.inputs = &in;
            process.outputs = &out;
            process.inputParameterChanges = shape & 32 ? nullptr : &changes;
            processor->process(process);
            break;
        }
        case 3: {
            std::vector<unsigned char> bytes(input.Take<uint16_t>() % 600);
            for (auto& b : bytes)
                b = input.Take<uint8_t>();
            vst3_host::MemoryStream stream(bytes);
            component->setState(&stream);
            break;
        }
        case 4: {
            vst3_host::MemoryStream stream;
            if (component->getState(&stream) != kResultOk || stream.Bytes().size() != 264) std::abort();
            break;
        }
        case 5: {
            const ParamID id = input.Take<uint8_t>() % 40;
            controller->setParamNormalized(id, input.Take<double>());
            String128 text{};
            controller->getParamStringByValue(id, input.Take<double>(), text);
            for (auto& c : text)
                if (input.Left() > 0 && (input.Take<uint8_t>() & 3) == 0) c = input.Take<char16_t>();
            text[127] = 0;
            ParamValue value = 0.0;
            controller->getParamValueByString(id, text, value);
            break;
        }
        default: {
            SpeakerArrangement ins = input.Take<uint64_t>() & 0xF;
            SpeakerArrangement outs = input.Take<uint64_t>() & 0xF;
            processor->setBusArrangements(&ins, 1, &outs, 1);
            break;
        }
        }
    }
    processor->release();
    controller->release();
    return 0;
}
