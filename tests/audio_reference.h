#pragma once
// The processor written the plain way, step by step as the script has it: every delay
// slot is found in a map of blocks through ToIndex, the detectors are paced by fmod of
// the sample counter, and every compressor takes its logarithm and exponential on
// every sample. The effect takes shortcuts (block pointers, integer pacing, no dB level
// below threshold, vector code with its own logarithm and exponential); the tests hold
// its output to this one within 1e-9.

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

#include "runtime/memory.h"

namespace reference {

struct Line {
    double length = 0, writeBase = 0, readBase = 0, position = 0;
};

struct Compressor {
    double delayed = 0, levelDb = 0, gainDivisor = 0, peakGain = 0, holdGain = 0, releaseNow = 0, slowPeak = 0,
           smoothGain = 0, punchGain = 0;
};

struct Shaper {
    double meanSquare = 0, rmsTwice = 0, holdEnv = 0, fastEnv = 0, slowEnv = 0, transientGain = 0;
};

struct Settings {
    double threshold = 0, attack = 0, release = 0, ratioFactor = 0, knee = 0, active = 0;
};

struct Channel {
    double z[6] = {};
    double silentCount = 0;
    Settings settings[4];
    double transientAmount[4] = {};
    double band[4] = {}; // each band's result, kept for the tests' reports
    Compressor comp[4];
    Shaper shaper[4];
};

inline bool On(double v) { return std::fabs(v) >= 0.00001; }

class Processor {
public:
    double fs = 0;
    double c0005 = 0, c002 = 0, c005 = 0, c01 = 0, dbFactor = 0, msCoef = 0;
    double monoLimit = 0, silenceLimit = 0, lookahead = 0, latency = 0;
    double a80 = 0, a600 = 0, a6000 = 0;
    double punchCoef[4] = {};
    Line lines[16];
    double threshold[4] = {}, compActive[4] = {}, makeupGain[4] = {}, attackTime[4] = {}, releaseTime[4] = {},
           knee[4] = {}, ratio[4] = {}, eqGain[4] = {}, soloPass[4] = {}, transientAmount[4] = {};
    double eqNorm = 0, inputGain = 0, outputGain = 0, balanceGain = 0, msMode = 0, punchOn = 0, mixLevelIn = 0,
           mixLevelOut = 0;
    double lastLeft = 0, lastRight = 0, sampleCounter = 0, monoInput = 0, monoCount = 0;
    double compMeter[2][4] = {}, transientMeter[4] = {};
    Channel ch[2];
    std::map<int32_t, std::vector<double>> memory;

    double& Cell(double address)
    {
        const int32_t i = ToIndex(address);
        std::vector<double>& block = memory[i >> 16];
        block.resize(65536, 0.0);
        return block[i & 0xFFFF];
    }

    double C(double t) const { return std::exp(-1.0 / (t * fs)); }
    double W(double f) const { return 1.0 - std::exp(-2.0 * std::numbers::pi * f / fs); }

    void Init(double rate)
    {
        fs = rate;
        c0005 = C(0.0005);
        c002 = C(0.02);
        c005 = C(0.05);
        c01 = C(0.1);
        dbFactor = 0.11512925464970229;
        msCoef = 1.0 - std::exp(-1.0 / (1.666 * fs));
        monoLimit = 64;
        silenceLimit = 1024;
        lookahead = std::floor(fs / 44100 * 64);
        latency = 2 * lookahead;
        for (int i = 0; i < 16; ++i) {
            lines[i].length = lookahead > fs ? fs : lookahead;
            lines[i].writeBase = lines[i].readBase = i * fs;
        }
        for (auto& c : ch)
            for (auto& comp : c.comp)
                comp.punchGain = 1;
        punchCoef[0] = W(20);
        punchCoef[1] = W(40);
        punchCoef[2] = W(20);
        punchCoef[3] = W(10);
        for (auto& c : ch)
            for (double& z : c.z)
                z = 0;
        a80 = W(80);
        a600 = W(600);
        a6000 = W(6000);
    }

    // s: the slider values by slider number.
    void Slider(const double* s)
    {
        Coefficients(s);
        for (auto& row : compMeter)
            for (double& m : row)
                m = 1;
        for (double& m : transientMeter)
            m = 1;
    }

    void Coefficients(const double* s)
    {
        const double g = s[30], h = 1 - g;
        double t[4];
        for (int b = 0; b < 4; ++b)
            t[b] = -s[1 + b];
        for (int b = 0; b < 4; ++b)
            compActive[b] = On(s[1 + b]) ? 1 : 0;
        const double k[4] = {0.15, 0.015, 0.15, 0.15};
        for (int b = 0; b < 4; ++b)
            makeupGain[b] = std::pow(10.0, s[1 + b] * k[b] / 20);
        attackTime[0] = 0.015 * h + 0.05 * g;
        attackTime[1] = 0.01 * h + 0.03 * g;
        attackTime[2] = 0.01 * h + 0.02 * g;
        attackTime[3] = 0.005 * h + 0.01 * g;
        releaseTime[0] = 0.1 * h + 2 * g;
        releaseTime[1] = 0.08 * h + g;
        releaseTime[2] = 0.05 * h + 0.5 * g;
        releaseTime[3] = 0.03 * h + 0.25 * g;
        for (int b = 0; b < 4; ++b)
            knee[b] = 0.1 * h + 12 * g;
        ratio[0] = 1.5 * h + 4 * g;
        ratio[1] = 2 * h + 5 * g;
        ratio[2] = 1.5 * h + 4 * g;
        ratio[3] = 1.5 * h + 4 * g;
        for (int b = 0; b < 3; ++b)
            threshold[b] = t[b] * (1.41 * h + 0.891 * g);
        threshold[3] = t[3] * (1.78 * h + 1.26 * g);
        eqNorm = std::max(1.0, 0.18 * (makeupGain[0] * makeupGain[0] + makeupGain[1] * makeupGain[1] +
                                       makeupGain[2] * makeupGain[2] + makeupGain[3] * makeupGain[3]));
        inputGain = std::pow(10.0, s[40] / 20);
        outputGain = std::pow(10.0, s[41] / 20);
        balanceGain = std::pow(10.0, s[32] / 20);
        msMode = s[33];
        punchOn = s[31];
        for (int b = 0; b < 4; ++b)
            transientAmount[b] = 0.5 * s[6 + b];
        const bool anySolo = On(s[16]) || On(s[17]) || On(s[18]) || On(s[19]);
        for (int b = 0; b < 4; ++b)
            soloPass[b] = (!anySolo || On(s[16 + b])) ? 1 : 0;
        for (int b = 0; b < 4; ++b)
            eqGain[b] = std::pow(10.0, s[11 + b] / 20) * soloPass[b] * eqNorm;
        if (!On(s[17]) && !On(s[18])) {
            if (eqGain[0] > 1) eqGain[1] *= std::pow(1 / eqGain[0], 0.2);
            if (eqGain[3] > 1) eqGain[2] *= std::pow(1 / eqGain[3], 0.2);
        }
        if (!On(s[34])) {
            mixLevelIn = 0.355;
            mixLevelOut = 2.8169014084507045;
        } else {
            mixLevelIn = mixLevelOut = 1;
        }
        for (int b = 0; b < 4; ++b)
            if (On(s[20 + b])) {
                compActive[b] = 0;
                transientAmount[b] = 0;
                eqGain[b] = 1;
                makeupGain[b] = 1;
            }
        if (!On(s[5]))
            for (int b = 0; b < 4; ++b)
                compActive[b] = 0, makeupGain[b] = 1;
        if (!On(s[10]))
            for (double& a : transientAmount)
                a = 0;
        if (!On(s[15]))
            for (double& e : eqGain)
                e = 1;
        for (auto& c : ch)
            for (int b = 0; b < 4; ++b) {
                c.settings[b].threshold = threshold[b] - knee[b];
                c.settings[b].attack = std::exp(-1 / (attackTime[b] * fs));
                c.settings[b].release = std::exp(-1 / (releaseTime[b] * fs));
                c.settings[b].ratioFactor = 1 - 1 / ratio[b];
                c.settings[b].knee = knee[b];
                c.settings[b].active = compActive[b];
                c.transientAmount[b] = transientAmount[b];
            }
    }

    double DelayStep(Line& l, double x)
    {
        Cell(l.writeBase + l.position) = x;
        l.position = l.position + 1;
        if (l.position > l.length) l.position = 0;
        return Cell(l.readBase + l.position);
    }

    double CompressorStep(Compressor& c, const Settings& st, Line& line, double x, double coef)
    {
        c.delayed = DelayStep(line, x);
        if (!On(st.active)) {
            c.gainDivisor = 1;
            return c.delayed;
        }
        c.levelDb = 20 * std::log10(std::max(std::fabs(x), 0.0000001));
        double over = c.levelDb > st.threshold ? c.levelDb - st.threshold : 0;
        over = over * over / (over + st.knee);
        const double reduction = over * st.ratioFactor;
        const double d = std::exp(reduction * dbFactor);
        c.peakGain = std::max(c.peakGain, d);
        if (std::fabs(std::fmod(sampleCounter, 4)) < 0.00001) {
            c.holdGain = c.peakGain > c.holdGain ? c.peakGain : c.peakGain + c002 * (c.holdGain - c.peakGain);
            c.releaseNow = (1 - 1 / c.holdGain) * c01 + (1 / c.holdGain) * st.release;
            c.peakGain = 0;
        }
        double e = d;
        if (e < c.slowPeak) e = e + c002 * (c.slowPeak - e);
        c.slowPeak = e;
        if (e > c.smoothGain)
            c.smoothGain = e + st.attack * (c.smoothGain - e);
        else
            c.smoothGain = e + c.releaseNow * (c.smoothGain - e);
        double G = std::max(c.smoothGain, 1.0);
        if (On(punchOn)) {
            c.punchGain = c.punchGain + (G - c.punchGain) * coef;
            G = c.punchGain;
        }
        c.gainDivisor = G;
        return c.delayed / G;
    }

    double ShaperStep(Shaper& t, double x, double a)
    {
        if (!On(a)) {
            t.transientGain = 0;
            return 0;
        }
        if (std::fabs(std::fmod(sampleCounter, 2)) < 0.00001) {
            t.meanSquare = t.meanSquare + msCoef * (x * x - t.meanSquare);
            t.rmsTwice = 2 * std::sqrt(std::fabs(t.meanSquare));
        }
        double r = std::max(std::fabs(x), t.rmsTwice);
        if (r < t.holdEnv) r = r + c002 * (t.holdEnv - r);
        t.holdEnv = r;
        if (r > t.fastEnv)
            t.fastEnv = r + c0005 * (t.fastEnv - r);
        else
            t.fastEnv = r + c01 * (t.fastEnv - r);
        if (t.fastEnv > t.slowEnv)
            t.slowEnv = t.fastEnv + c005 * (t.slowEnv - t.fastEnv);
        else
            t.slowEnv = t.fastEnv;
        const double q = std::sqrt(std::fabs(t.fastEnv - t.slowEnv));
        t.transientGain = a * 0.5 * (1 - 1 / (q + 1));
        return t.transientGain;
    }

    double BandPath(int c, double x)
    {
        Channel& p = ch[c];
        if (std::fabs(x) < 0.00000001) {
            if (p.silentCount < silenceLimit) p.silentCount += 1;
        } else {
            p.silentCount = 0;
        }
        if (p.silentCount >= silenceLimit) {
            for (int b = 0; b < 4; ++b)
                p.comp[b].gainDivisor = 1, p.shaper[b].transientGain = 0, p.band[b] = 0;
            return 0;
        }
        double band[4];
        p.z[0] = p.z[0] + a80 * (x - p.z[0]);
        band[0] = p.z[0];
        p.z[1] = p.z[1] + a80 * (x - p.z[1]);
        const double r1 = x - p.z[1];
        p.z[2] = p.z[2] + a600 * (r1 - p.z[2]);
        band[1] = p.z[2];
        p.z[3] = p.z[3] + a600 * (x - p.z[3]);
        const double r2 = x - p.z[3];
        p.z[4] = p.z[4] + a6000 * (r2 - p.z[4]);
        band[2] = p.z[4];
        p.z[5] = p.z[5] + a6000 * (x - p.z[5]);
        band[3] = x - p.z[5];
        for (int b = 0; b < 4; ++b)
            band[b] =
                CompressorStep(p.comp[b], p.settings[b], lines[8 + 4 * c + b], band[b], punchCoef[b]) * makeupGain[b];
        double delayed[4];
        for (int b = 0; b < 4; ++b)
            delayed[b] = DelayStep(lines[4 * c + b], band[b]);
        for (int b = 0; b < 4; ++b) {
            const double t = ShaperStep(p.shaper[b], band[b], p.transientAmount[b]);
            band[b] = delayed[b] + t * delayed[b];
            p.band[b] = band[b];
        }
        return band[0] * eqGain[0] + band[1] * eqGain[1] + band[2] * eqGain[2] + band[3] * eqGain[3];
    }

    void Sample(double& left, double& right)
    {
        lastLeft = left;
        lastRight = right;
        const double a = left * inputGain * mixLevelIn;
        const double b = right * inputGain * mixLevelIn;
        sampleCounter = sampleCounter + 1 >= fs ? 0 : sampleCounter + 1;
        double ch1, ch2;
        if (On(msMode)) {
            ch1 = (a + b) * 0.5 * balanceGain;
            ch2 = (a - b) * (1 / balanceGain);
        } else {
            ch1 = a * balanceGain;
            ch2 = b * (1 / balanceGain);
        }
        ch1 = BandPath(0, ch1) * (1 / balanceGain);
        if (!On(monoInput)) ch2 = BandPath(1, ch2) * balanceGain;
        const double k = outputGain * mixLevelOut;
        if (!On(msMode)) {
            if (On(monoInput)) ch2 = ch1;
            left = ch1 * k;
            right = ch2 * k;
        } else {
            const double s = 0.5 * ch2;
            left = (ch1 + s) * k;
            right = (ch1 - s) * k;
        }
    }

    void Block()
    {
        for (int b = 0; b < 4; ++b)
            compMeter[0][b] = std::min(compMeter[0][b], 1 / ch[0].comp[b].gainDivisor);
        if (!On(monoInput))
            for (int b = 0; b < 4; ++b)
                compMeter[1][b] = std::min(compMeter[1][b], 1 / ch[1].comp[b].gainDivisor);
        for (int b = 0; b < 4; ++b)
            transientMeter[b] = std::min(
                transientMeter[b] + 0.001,
                1 / (1 + std::max(std::fabs(ch[0].shaper[b].transientGain), std::fabs(ch[1].shaper[b].transientGain))));
        if (!On(lastLeft)) return;
        if (!On(lastLeft - lastRight)) {
            monoCount = std::min(monoCount + 1, 64.0);
        } else {
            monoCount = monoCount - 1;
            if (monoCount <= 0) monoInput = 0;
            monoCount = std::max(monoCount, 0.0);
        }
        if (std::fabs(monoCount - 64) < 0.00001) monoInput = 1;
    }
};

} // namespace reference
