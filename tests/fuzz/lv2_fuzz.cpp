// The LV2 processor through its descriptor, with everything a careless host might do from
// the fuzz input: any rate, a URI map or none, ports left unconnected or connected past
// the last one, any control values (NaN, infinities, huge), audio in place or not, runs
// without activation, reactivation, meter readings, and states of any bytes and type. Nothing may crash,
// and a state the processor saves is always a whole chunk.

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lv2/processor_access.h"
#include "lv2/port_layout.h"
#include "lv2/processor.h"
#include "lv2/uris.h"
#include "tests/fuzz/fuzz_instance.h"

namespace {

// Two URIs are all the processor maps; anything else gets a number of its own.
LV2_URID Map(LV2_URID_Map_Handle, const char* uri)
{
    if (std::strcmp(uri, lv2_uris::kStateChunk) == 0) return 1;
    if (std::strcmp(uri, LV2_ATOM__Chunk) == 0) return 2;
    return 3 + static_cast<LV2_URID>(std::strlen(uri));
}

struct StoredState {
    std::vector<uint8_t> bytes;
    LV2_URID type = 0;
    int stores = 0;
};

LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type, uint32_t)
{
    auto* state = static_cast<StoredState*>(handle);
    if (key != 1 || type != 2 || size != 260 || !value) std::abort();
    state->bytes.assign(static_cast<const uint8_t*>(value), static_cast<const uint8_t*>(value) + size);
    ++state->stores;
    return LV2_STATE_SUCCESS;
}

const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
{
    auto* state = static_cast<StoredState*>(handle);
    if (key != 1 || state->bytes.empty()) return nullptr;
    *size = state->bytes.size();
    *type = state->type;
    *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    return state->bytes.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::Reader input(data, size);
    const LV2_Descriptor* d = ProcessorDescriptor();
    const uint8_t setup = input.Take<uint8_t>();
    // Mostly ordinary rates, sometimes any float at all.
    const double rates[] = {44100.0, 48000.0, 96000.0, 22050.0};
    const double rate = setup & 0x80 ? static_cast<double>(input.Take<float>()) : rates[setup & 3];
    LV2_URID_Map map{nullptr, Map};
    const LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature* withMap[] = {&mapFeature, nullptr};
    LV2_Handle h = d->instantiate(d, rate, "", setup & 4 ? withMap : nullptr);
    if (!h) return 0;
    const auto* state = static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface));

    std::vector<float> controls(lv2_ports::kCount + 4, 0.0f);
    std::vector<float> left(256), right(256), outLeft(256), outRight(256);
    const uint64_t unconnected = setup & 8 ? input.Take<uint64_t>() : 0;
    for (uint32_t port = 0; port < lv2_ports::kCount + 4; ++port)
        if (!(unconnected >> port & 1)) d->connect_port(h, port, &controls[port]);
    if (setup & 16) d->activate(h);

    for (int round = 0; round < 16 && input.Left() > 0; ++round) {
        const uint8_t action = input.Take<uint8_t>();
        for (int i = action % 8; i > 0; --i) {
            const uint32_t port = input.Take<uint8_t>() % lv2_ports::kCount;
            controls[port] = input.Take<float>();
        }
        const bool inPlace = action & 8;
        const uint8_t extra = input.Take<uint8_t>();
        d->connect_port(h, lv2_ports::kInputLeft, extra & 1 ? nullptr : left.data());
        d->connect_port(h, lv2_ports::kInputRight, right.data());
        d->connect_port(h, lv2_ports::kOutputLeft, inPlace ? left.data() : outLeft.data());
        d->connect_port(h, lv2_ports::kOutputRight, inPlace ? right.data() : outRight.data());
        const uint32_t frames = input.Take<uint8_t>();
        for (uint32_t i = 0; i < frames; ++i)
            left[i] = input.Take<float>(), right[i] = input.Take<float>();
        d->run(h, frames);
        if (extra & 2) {
            // What the editor may call through instance access, with no display to open on.
            auto* access = static_cast<ProcessorAccess*>(h);
            if (access->magic != ProcessorAccess::kMagic || !access->setValue) std::abort();
            access->setValue(access, extra % lv2_ports::kParameterCount, input.Take<float>());
            access->idleEditor(access);
        }
        if (action & 16) {
            d->deactivate(h);
            d->activate(h);
        }
        if (action & 32 && state) {
            StoredState stored;
            if (action & 64) {
                // Bytes of the input as the host's saved state, of the chunk type or another.
                const size_t length = input.Take<uint16_t>() % 600;
                for (size_t i = 0; i < length && input.Left() > 0; ++i)
                    stored.bytes.push_back(input.Take<uint8_t>());
                stored.type = action & 128 ? 2 : input.Take<uint8_t>();
            } else {
                const LV2_State_Status saved = state->save(h, Store, &stored, 0, nullptr);
                if ((saved == LV2_STATE_SUCCESS) != (stored.stores == 1)) std::abort();
                stored.type = 2;
            }
            state->restore(h, Retrieve, &stored, 0, nullptr);
        }
    }
    d->cleanup(h);
    return 0;
}
