#pragma once
// Streams an audio file through the plug-in in host-sized blocks.

#include <cstdint>

#include "tools/hostkit/plugin_host.h"
#include "tools/render/audio_file.h"
#include "tools/render/loudness.h"

namespace render {

struct RenderSettings {
    int block = 512;
    bool useDouble = false;
    bool keepLatency = false;
};

struct RenderResult {
    int64_t frames = 0;
    int latency = 0; // what the plug-in reported after its first block
    double wallSeconds = 0.0;
};

// The plug-in has been started at the reader's rate with `settings.block`. The stream given
// to it is the input (a mono file on both channels) in blocks of `block` frames, the first
// no longer than the file; unless the latency is kept, the stream goes on with silence for
// as many frames as the plug-in reports after its first block, and the output drops that
// many from its start. Either way the output has the input's length.
RenderResult RenderAudio(hostkit::PluginInstance& plugin, AudioReader& reader, AudioWriter& writer,
                         const RenderSettings& settings, LoudnessMeter& inputMeter, LoudnessMeter& outputMeter);

} // namespace render
