#include "effect/band_path.h"
#include "effect/effect.h"

// Called on the audio thread once per frame, with the frame in sample values 0 and 1.
// Everything it reads from the shared variables the block section copied for it; the
// frame itself runs in the kernel for this processor (band_kernel.h).
void TVexlEffect::DoSample()
{
    dsp.lastInputLeft = sampleValues[0];
    dsp.lastInputRight = sampleValues[1];

    double counter = dsp.sampleCounter + 1.0;
    if (counter >= blockSettings_.sampleRate) counter = 0.0;
    dsp.sampleCounter = counter;
    unsigned pacing = 0;
    if (IsCounterMultiple(counter, 2)) pacing |= kEverySecond;
    if (IsCounterMultiple(counter, 4)) pacing |= kEveryFourth;

    kernel_(band, blockSettings_, lineSlots_, Memory().View(), sampleValues, pacing);
}
