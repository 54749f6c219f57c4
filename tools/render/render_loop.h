#pragma once
// Streams an audio file through the plug-in in host-sized blocks.

#include <cstdint>
#include <functional>

#include "tools/hostkit/plugin_host.h"
#include "tools/render/audio_file.h"
#include "tools/render/dither.h"
#include "tools/render/loudness.h"

namespace render {

struct RenderSettings {
    int block = 512;
    bool useDouble = false;
    bool keepLatency = false;
    // The renderer's own gain stage after the plug-in (linear), for what its parameters cannot reach.
    double gain = 1.0;
};

struct RenderResult {
    int64_t frames = 0;
    int latency = 0; // what the plug-in reported after its first block
    double wallSeconds = 0.0;
    int64_t nonFiniteInput = 0;  // samples fed to the plug-in as silence
    int64_t nonFiniteOutput = 0; // samples written as silence
    int64_t clipped = 0;         // samples held at full scale in an integer file
};

// Where the processed signal goes: a file, through a quantizer for integer files, or nowhere
// (a measuring pass). Progress is told in frames written since the last call.
struct RenderSink {
    AudioWriter* writer = nullptr;
    Quantizer* quantizer = nullptr;
    std::function<void(int64_t)> progress;
};

// The plug-in has been started at the reader's rate with `settings.block`. The stream given
// to it is the input (a mono file on both channels) in blocks of `block` frames, the first
// no longer than the file; unless the latency is kept, the stream goes on with silence for
// as many frames as the plug-in reports after its first block, and the output drops that
// many from its start. Either way the output has the input's length. The output meter
// measures the signal before it is made integer; the input is measured when a meter is given.
RenderResult RenderAudio(hostkit::PluginInstance& plugin, AudioReader& reader, const RenderSink& sink,
                         const RenderSettings& settings, LoudnessMeter* inputMeter, LoudnessMeter& outputMeter);

} // namespace render
