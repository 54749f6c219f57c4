#include "effect/band_path.h"
#include "effect/effect.h"

// Called on the audio thread once per frame, with the frame in sample values 0 and 1.
void TVexlEffect::DoSample()
{
    RefreshHostCopies();
    const double left = sampleValues[0];
    const double right = sampleValues[1];
    dsp.lastInputLeft = left;
    dsp.lastInputRight = right;

    const double inputGain = dsp.inputGain;
    const double mixLevelIn = dsp.mixLevelIn;
    const double a = left * inputGain * mixLevelIn;
    const double b = right * inputGain * mixLevelIn;

    double counter = dsp.sampleCounter + 1.0;
    if (counter >= srate) counter = 0.0;
    dsp.sampleCounter = counter;

    FrameConstants k;
    k.attack0005 = dsp.attack0005;
    k.release002 = dsp.release002;
    k.attack005 = dsp.attack005;
    k.release01 = dsp.release01;
    k.dbFactor = dsp.dbFactor;
    k.meanSquareCoef = dsp.meanSquareCoef;
    k.silenceLimit = dsp.silenceLimit;
    for (int band = 0; band < kBandCount; ++band)
        k.punchCoef[band] = dsp.punchCoef[band];
    k.punchOn = IsOn(dsp.punchOn);
    k.everySecond = IsCounterMultiple(counter, 2);
    k.everyFourth = IsCounterMultiple(counter, 4);

    const double epoch = dsp.delayLineEpoch;
    if (epoch != lineMemory_.Epoch()) lineMemory_.Map(dsp.lines, epoch);

    const bool msMode = IsOn(dsp.msMode);
    const double balanceGain = dsp.balanceGain;
    const double balanceInverse = dsp.balanceInverse;
    double ch1, ch2;
    if (msMode) {
        ch1 = (a + b) * 0.5 * balanceGain;
        ch2 = (a - b) * balanceInverse; // the side is not halved; decoding halves it
    } else {
        ch1 = a * balanceGain;
        ch2 = b * balanceInverse;
    }

    // The balance only weights how hard each channel drives its dynamics: it is undone
    // right after the band path.
    ch1 = RunBandPath(0, dsp.channel[0], dsp, lineMemory_, k, ch1) * balanceInverse;
    const bool monoInput = IsOn(dsp.monoInput);
    if (!monoInput) ch2 = RunBandPath(1, dsp.channel[1], dsp, lineMemory_, k, ch2) * balanceGain;

    const double gain = dsp.outputGain * dsp.mixLevelOut;
    if (!msMode) {
        if (monoInput) ch2 = ch1;
        sampleValues[0] = ch1 * gain;
        sampleValues[1] = ch2 * gain;
    } else {
        const double side = 0.5 * ch2;
        sampleValues[0] = (ch1 + side) * gain;
        sampleValues[1] = (ch1 - side) * gain;
    }
}
