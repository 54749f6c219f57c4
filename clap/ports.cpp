// The audio ports, latency and render extensions.

#include <cstdio>

#include "clap/instance.h"

namespace clap_adapter {

namespace {

uint32_t PortCount(const clap_plugin_t* plugin, bool /*isInput*/)
{
    const Instance* self = Instance::From(plugin);
    return self && self->OnMainThread() ? 1 : 0;
}

// One stereo main port each way, 32-bit or 64-bit, the same size on both; the output may
// use the input's buffers.
bool PortInfo(const clap_plugin_t* plugin, uint32_t index, bool isInput, clap_audio_port_info_t* info)
{
    const Instance* self = Instance::From(plugin);
    if (!self || !info || index != 0 || !self->OnMainThread()) return false;
    *info = {};
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "%s", isInput ? "Main In" : "Main Out");
    info->flags =
        CLAP_AUDIO_PORT_IS_MAIN | CLAP_AUDIO_PORT_SUPPORTS_64BITS | CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE;
    info->channel_count = 2;
    info->port_type = CLAP_PORT_STEREO;
    info->in_place_pair = 0;
    return true;
}

uint32_t LatencyOf(const clap_plugin_t* plugin)
{
    const Instance* self = Instance::From(plugin);
    if (!self || !self->OnMainThread()) return 0;
    const int32_t samples = self->latency.load();
    return samples > 0 ? static_cast<uint32_t>(samples) : 0;
}

// The effect sounds the same in real time and offline and never needs real time.
bool HardRealtime(const clap_plugin_t*) { return false; }

bool SetRenderMode(const clap_plugin_t* plugin, int32_t mode)
{
    const Instance* self = Instance::From(plugin);
    return self && self->OnMainThread() && (mode == CLAP_RENDER_REALTIME || mode == CLAP_RENDER_OFFLINE);
}

} // namespace

const clap_plugin_audio_ports_t kAudioPorts = {PortCount, PortInfo};
const clap_plugin_latency_t kLatency = {LatencyOf};
const clap_plugin_render_t kRender = {HardRealtime, SetRenderMode};

} // namespace clap_adapter
