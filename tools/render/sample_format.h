#pragma once

namespace render {

// The sample formats an output file can be asked for with --format.
enum class SampleFormat { Float, Pcm16, Pcm24 };

} // namespace render
