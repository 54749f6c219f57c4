// The CLAP plug-in through clap_entry, with what a careless host might do from the fuzz
// input: activation and processing in any order, any rate and block, events of any type,
// size, time and value (in process and in flush), 32-bit or 64-bit audio in place or not,
// states of any bytes through streams that give any number of bytes per call, and texts to
// read as values. Nothing may crash, and a saved state is always a whole chunk and the bypass.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clap/clap_abi.h"
#include "tests/fuzz/fuzz_instance.h"

extern "C" const clap_plugin_entry_t clap_entry;

namespace {

// Events as raw bytes: each one a header and whatever body the input gives.
struct Events {
    std::vector<std::vector<uint8_t>> items;
    static uint32_t Size(const clap_input_events_t* list)
    {
        return static_cast<uint32_t>(static_cast<Events*>(list->ctx)->items.size());
    }
    static const clap_event_header_t* Get(const clap_input_events_t* list, uint32_t i)
    {
        auto* self = static_cast<Events*>(list->ctx);
        return i < self->items.size() ? reinterpret_cast<const clap_event_header_t*>(self->items[i].data()) : nullptr;
    }
    static bool Push(const clap_output_events_t*, const clap_event_header_t* e)
    {
        if (e->size < sizeof(clap_event_header_t) || e->space_id != CLAP_CORE_EVENT_SPACE_ID) std::abort();
        return true;
    }
};

Events ReadEvents(fuzzing::Reader& input)
{
    Events events;
    const int count = input.Take<uint8_t>() % 8;
    for (int i = 0; i < count; ++i) {
        clap_event_param_value_t e{};
        e.header.size = input.Take<uint8_t>() & 1 ? input.Take<uint8_t>() : sizeof e;
        e.header.time = input.Take<uint16_t>();
        e.header.space_id = input.Take<uint8_t>() & 1;
        e.header.type = input.Take<uint8_t>() % 14;
        e.param_id = input.Take<uint8_t>() % 34;
        e.value = input.Take<double>();
        // The list hands out at least a whole event's bytes whatever its header claims.
        std::vector<uint8_t> bytes(std::max<size_t>(sizeof e, e.header.size));
        std::memcpy(bytes.data(), &e, sizeof e);
        events.items.push_back(std::move(bytes));
    }
    std::sort(events.items.begin(), events.items.end(), [](const auto& a, const auto& b) {
        return reinterpret_cast<const clap_event_header_t*>(a.data())->time <
               reinterpret_cast<const clap_event_header_t*>(b.data())->time;
    });
    return events;
}

struct Stream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    uint8_t piece = 0; // 0: as much as asked
    static int64_t Write(const clap_ostream_t* s, const void* buffer, uint64_t size)
    {
        auto* self = static_cast<Stream*>(s->ctx);
        const uint64_t n = self->piece ? std::min<uint64_t>(size, self->piece) : size;
        const auto* from = static_cast<const uint8_t*>(buffer);
        self->bytes.insert(self->bytes.end(), from, from + n);
        return static_cast<int64_t>(n);
    }
    static int64_t Read(const clap_istream_t* s, void* buffer, uint64_t size)
    {
        auto* self = static_cast<Stream*>(s->ctx);
        if (self->piece == 255) return -1;
        uint64_t n = std::min<uint64_t>(size, self->bytes.size() - self->position);
        if (self->piece) n = std::min<uint64_t>(n, self->piece);
        // An empty state has no bytes to point at, and memcpy takes no null pointer.
        if (n > 0) std::memcpy(buffer, self->bytes.data() + self->position, n);
        self->position += n;
        return static_cast<int64_t>(n);
    }
};

void Quiet(const clap_host_t*) {}
const void* NoExtension(const clap_host_t*, const char*) { return nullptr; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::Reader input(data, size);
    clap_entry.init("");
    const auto* factory = static_cast<const clap_plugin_factory_t*>(clap_entry.get_factory(CLAP_PLUGIN_FACTORY_ID));
    clap_host_t host{kClapVersion, nullptr, "fuzz", "", "", "1", NoExtension, Quiet, Quiet, Quiet};
    const clap_plugin_t* plugin =
        factory->create_plugin(factory, &host, factory->get_plugin_descriptor(factory, 0)->id);
    if (!plugin) return 0;
    if (input.Take<uint8_t>() & 1) plugin->init(plugin);
    const auto* params = static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
    const auto* state = static_cast<const clap_plugin_state_t*>(plugin->get_extension(plugin, CLAP_EXT_STATE));

    std::vector<float> l32(512), r32(512), o32l(512), o32r(512);
    std::vector<double> l64(512), r64(512), o64l(512), o64r(512);
    while (input.Left() > 0) {
        switch (input.Take<uint8_t>() % 10) {
        case 0: {
            const uint8_t kind = input.Take<uint8_t>();
            const double rate = kind & 1 ? input.Take<double>() : 44100.0;
            plugin->activate(plugin, rate, input.Take<uint16_t>(), kind & 2 ? input.Take<uint32_t>() : 512);
            break;
        }
        case 1:
            plugin->deactivate(plugin);
            break;
        case 2:
            plugin->start_processing(plugin);
            break;
        case 3:
            plugin->stop_processing(plugin);
            break;
        case 4: {
            const uint8_t how = input.Take<uint8_t>();
            Events events = ReadEvents(input);
            clap_input_events_t in{&events, Events::Size, Events::Get};
            clap_output_events_t out{nullptr, Events::Push};
            float* in32[2] = {l32.data(), r32.data()};
            float* out32[2] = {how & 1 ? l32.data() : o32l.data(), how & 1 ? r32.data() : o32r.data()};
            double* in64[2] = {l64.data(), r64.data()};
            double* out64[2] = {how & 1 ? l64.data() : o64l.data(), how & 1 ? r64.data() : o64r.data()};
            clap_audio_buffer_t ib{}, ob{};
            ib.channel_count = ob.channel_count = how & 4 ? 1 : 2;
            if (how & 2) {
                ib.data64 = in64;
                ob.data64 = out64;
            } else {
                ib.data32 = in32;
                ob.data32 = out32;
            }
            for (size_t i = 0; i < 512; ++i) {
                l32[i] = r32[i] = static_cast<float>(input.Take<int8_t>()) / 64.0f;
                l64[i] = r64[i] = l32[i];
            }
            clap_process_t p{};
            p.frames_count = input.Take<uint16_t>() % 513;
            p.audio_inputs = how & 8 ? nullptr : &ib;
            p.audio_outputs = &ob;
            p.audio_inputs_count = p.audio_outputs_count = 1;
            p.in_events = how & 16 ? nullptr : &in;
            p.out_events = &out;
            plugin->process(plugin, &p);
            break;
        }
        case 5: {
            Events events = ReadEvents(input);
            clap_input_events_t in{&events, Events::Size, Events::Get};
            clap_output_events_t out{nullptr, Events::Push};
            params->flush(plugin, &in, &out);
            break;
        }
        case 6: {
            Stream s;
            s.piece = input.Take<uint8_t>() % 255;
            clap_ostream_t out{&s, Stream::Write};
            if (state->save(plugin, &out) && s.bytes.size() != 264) std::abort();
            break;
        }
        case 7: {
            Stream s;
            s.piece = input.Take<uint8_t>();
            s.bytes.resize(input.Take<uint16_t>() % 300);
            for (uint8_t& b : s.bytes)
                b = input.Take<uint8_t>();
            if (s.bytes.size() >= 4 && (s.bytes[0] & 1)) {
                const float marker = -1000.0f;
                std::memcpy(s.bytes.data(), &marker, 4);
            }
            clap_istream_t in{&s, Stream::Read};
            state->load(plugin, &in);
            break;
        }
        case 8: {
            const clap_id id = input.Take<uint8_t>() % 34;
            double value = input.Take<double>();
            char text[64];
            const uint32_t capacity = input.Take<uint8_t>() % 65;
            if (params->value_to_text(plugin, id, value, text, capacity)) {
                if (std::strlen(text) >= capacity) std::abort();
                params->text_to_value(plugin, id, text, &value);
            }
            params->get_value(plugin, id, &value);
            break;
        }
        case 9: {
            std::string text;
            const int n = input.Take<uint8_t>() % 16;
            for (int i = 0; i < n; ++i)
                text += static_cast<char>(input.Take<uint8_t>() | 1);
            double value = 0.0;
            params->text_to_value(plugin, input.Take<uint8_t>() % 34, text.c_str(), &value);
            plugin->on_main_thread(plugin);
            plugin->reset(plugin);
            break;
        }
        }
    }
    plugin->destroy(plugin);
    clap_entry.deinit();
    return 0;
}
