// The thirty parameters as a host sees them, and the slider arithmetic behind them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "effect/editor_layout.h"
#include "effect/effect.h"
#include "tests/counting_effect.h"
#include "tests/plugin_fixture.h"
#include "tests/torn_settings.h"

using testing_support::CountingInstance;
using testing_support::NewInstance;

namespace {

struct Expected {
    const char* name;
    float normalized;
    const char* display;
};

// Written out from the parameter table: default, range and option texts of each slider.
constexpr Expected kDefaults[30] = {
    {"LO Compress", 0.375f, "15.00"}, {"LM Compress", 0.375f, "15.00"}, {"HM Compress", 0.375f, "15.00"},
    {"HI Compress", 0.375f, "15.00"}, {"Compressor", 1.0f, "On"},       {"LO Transient", 0.5f, "0.00"},
    {"LM Transient", 0.5f, "0.00"},   {"HM Transient", 0.5f, "0.00"},   {"HI Transient", 0.5f, "0.00"},
    {"Transient", 1.0f, "On"},        {"LO Gain", 0.5f, "0.00"},        {"LM Gain", 0.5f, "0.00"},
    {"HM Gain", 0.5f, "0.00"},        {"HI Gain", 0.5f, "0.00"},        {"EQ", 1.0f, "On"},
    {"LO Solo", 0.0f, "Off"},         {"LM Solo", 0.0f, "Off"},         {"HM Solo", 0.0f, "Off"},
    {"HI Solo", 0.0f, "Off"},         {"LO Bypass", 0.0f, "Off"},       {"LM Bypass", 0.0f, "Off"},
    {"HM Bypass", 0.0f, "Off"},       {"HI Bypass", 0.0f, "Off"},       {"Inertia", 0.5f, "0.50"},
    {"Punch", 0.0f, "Off"},           {"M-S Balance", 0.5f, "0.00"},    {"Stereo/M-S", 1.0f, "M-S"},
    {"Mix Level", 0.0f, "0dBfs"},     {"Input", 0.5f, "0.00"},          {"Output", 0.5f, "0.00"},
};

TEST(Parameters, FreshInstanceShowsNamesDefaultsAndTexts)
{
    auto p = NewInstance();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->effect()->numParams, 30);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p->ParameterName(i), kDefaults[i].name);
        EXPECT_FLOAT_EQ(p->GetParameter(i), kDefaults[i].normalized);
        EXPECT_EQ(p->ParameterDisplay(i), kDefaults[i].display);
        EXPECT_EQ(p->ParameterLabel(i), "");
        EXPECT_EQ(p->Dispatch(effCanBeAutomated, i), 1);
    }
}

TEST(Parameters, SetValuesAreQuantisedToTheStepCountedFromZero)
{
    auto p = NewInstance();
    p->SetParameter(0, 0.39f); // 15.6 dB rounds to 16
    EXPECT_EQ(p->ParameterDisplay(0), "16.00");
    EXPECT_FLOAT_EQ(p->GetParameter(0), 0.4f);
    p->SetParameter(5, 0.6234f); // -10 + 12.468 = 2.468 -> 2.5
    EXPECT_EQ(p->ParameterDisplay(5), "2.50");
    p->SetParameter(5, 0.0f);
    EXPECT_EQ(p->ParameterDisplay(5), "-10.00");
    p->SetParameter(23, 0.66f); // inertia 0.66 -> 0.7
    EXPECT_EQ(p->ParameterDisplay(23), "0.70");
}

TEST(Parameters, OptionSlidersShowTheirTexts)
{
    auto p = NewInstance();
    p->SetParameter(26, 0.0f);
    EXPECT_EQ(p->ParameterDisplay(26), "Stereo");
    p->SetParameter(26, 0.5f);
    EXPECT_EQ(p->ParameterDisplay(26), "M-S");
    p->SetParameter(27, 0.7f);
    EXPECT_EQ(p->ParameterDisplay(27), "K-20");
    p->SetParameter(15, 0.49f);
    EXPECT_EQ(p->ParameterDisplay(15), "Off");
    p->SetParameter(15, 1.0f);
    EXPECT_EQ(p->ParameterDisplay(15), "On");
}

TEST(Parameters, OutOfRangeOptionValuesShowTheNearestText)
{
    auto p = NewInstance();
    // A normalised value beyond 1 is stored unclamped; the text clamps.
    p->SetParameter(26, 7.0f);
    EXPECT_EQ(p->ParameterDisplay(26), "M-S");
    EXPECT_FLOAT_EQ(p->GetParameter(26), 7.0f);
    p->SetParameter(26, -3.0f);
    EXPECT_EQ(p->ParameterDisplay(26), "Stereo");
}

// A change is stored at once and heard from the next processing call, whose slider
// section takes every change made since the one before.
TEST(Parameters, TheNextBlockRunsTheSliderSectionOnceForWhatChanged)
{
    CountingInstance p;
    p.Block();
    const int settled = p.effect->sliderRuns;
    p.aeffect->setParameter(p.aeffect, 0, 0.376f); // still 15
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled);
    p.aeffect->setParameter(p.aeffect, 0, 0.39f); // 16
    EXPECT_EQ(p.effect->sliderValues[1], 16.0) << "read back at once";
    EXPECT_EQ(p.effect->sliderRuns, settled) << "the set call derives nothing itself";
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled + 1);
    p.aeffect->setParameter(p.aeffect, 0, 0.39f);
    p.aeffect->setParameter(p.aeffect, 0, 0.4f);
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled + 1);
    // -10..10 in steps of 0.1, value 3, set to the middle: 0
    p.aeffect->setParameter(p.aeffect, 1, 0.5f);
    p.aeffect->setParameter(p.aeffect, 2, 0.0f);
    EXPECT_EQ(p.effect->sliderValues[2], 0.0);
    p.Block();
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled + 2);
    EXPECT_EQ(p.effect->appliedValues[2], 0.0);
    EXPECT_EQ(p.effect->appliedValues[3], 0.0);
}

// Hosts whose controls carry the slider's own range (LV2) set values in its units.
TEST(Parameters, ValuesInSliderUnitsAreQuantisedAndStoredOncePerChange)
{
    CountingInstance p;
    p.Block();
    const int settled = p.effect->sliderRuns;
    p.effect->SetParameterValue(0, 15.4); // still 15
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled);
    p.effect->SetParameterValue(0, 15.5); // halves upward
    EXPECT_EQ(p.effect->sliderValues[1], 16.0);
    p.effect->SetParameterValue(0, 16.2);
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled + 1);
    p.effect->SetParameterValue(1, -2.46); // steps of 0.1 from 0
    EXPECT_NEAR(p.effect->sliderValues[2], -2.5, 1e-12);
    p.effect->SetParameterValue(0, 55.0); // unclamped, as a saved project may hold it
    EXPECT_EQ(p.effect->sliderValues[1], 55.0);
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, settled + 2);
    for (double hostile : {NAN, INFINITY, -INFINITY})
        p.effect->SetParameterValue(0, hostile);
    p.effect->SetParameterValue(-1, 3.0);
    p.effect->SetParameterValue(3, 3.0);
    p.Block();
    EXPECT_EQ(p.effect->sliderValues[1], 55.0);
    EXPECT_EQ(p.effect->sliderRuns, settled + 2);
}

// Inertia moved flat out from a second thread while 64-frame blocks run, with the
// compressors and shapers off (so it cannot change the level) and LO Gain at +20 dB that
// must not be heard: the band-gain section off, or the LO band bypassed. No block may be
// louder than the steady level by more than 0.1 dB.
TEST(Parameters, MovesOnAnotherThreadNeverLetABlockHearAHalfDerivedSetting)
{
    constexpr float kRate = 48000.0f;
    constexpr int32_t kCompressor = 4, kTransient = 9, kLoGain = 10, kEq = 14, kLoBypass = 19, kInertia = 23;
    for (const bool bypassInsteadOfEqOff : {false, true}) {
        SCOPED_TRACE(bypassInsteadOfEqOff ? "LO bypassed" : "band gains off");
        auto loudest = [&](bool moving) {
            auto p = testing_support::StartedInstance(kRate, testing_support::kTornBlock);
            p->SetParameter(kCompressor, 0.0f);
            p->SetParameter(kTransient, 0.0f);
            p->SetParameter(kLoGain, 1.0f);
            p->SetParameter(bypassInsteadOfEqOff ? kLoBypass : kEq, bypassInsteadOfEqOff ? 1.0f : 0.0f);
            return testing_support::LoudestBlock(
                kRate, [&](float** io, int frames) { p->Process(io, io, frames); },
                [&](long n) { p->SetParameter(kInertia, n % 2 ? 1.0f : 0.0f); }, moving);
        };
        const double steady = loudest(false);
        ASSERT_GT(steady, 0.05);
        ASSERT_LT(steady, 0.15) << "LO Gain is not heard";
        EXPECT_LE(loudest(true), steady * std::pow(10.0, 0.1 / 20));
    }
}

TEST(Parameters, HostileIndexesAndValuesChangeNothing)
{
    auto p = NewInstance();
    for (int index : {-1, 30, 31, 1000, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(index);
        p->SetParameter(index, 0.3f);
        EXPECT_EQ(p->GetParameter(index), 0.0f);
        char text[64];
        std::memset(text, 'x', sizeof text);
        p->Dispatch(effGetParamName, index, 0, text);
        EXPECT_EQ(text[0], 0);
        std::memset(text, 'x', sizeof text);
        p->Dispatch(effGetParamDisplay, index, 0, text);
        EXPECT_EQ(text[0], 0);
        std::memset(text, 'x', sizeof text);
        p->Dispatch(effGetParamLabel, index, 0, text);
        EXPECT_EQ(text[0], 0);
    }
    p->SetParameter(0, std::nanf(""));
    p->SetParameter(0, INFINITY);
    p->SetParameter(0, -INFINITY);
    EXPECT_FLOAT_EQ(p->GetParameter(0), 0.375f);
    EXPECT_EQ(p->ParameterDisplay(0), "15.00");
    // null text buffers get nothing written and no crash
    for (int op : {effGetParamName, effGetParamDisplay, effGetParamLabel, effGetProgramName, effGetEffectName,
                   effGetVendorString, effGetProductString, effSetProgramName, effGetProgramNameIndexed})
        EXPECT_EQ(p->Dispatch(op, 0, 0, nullptr), 0) << op;
}

TEST(Parameters, LongTextsAreCutToTheHostBuffer)
{
    auto p = NewInstance();
    std::string longName(300, 'n');
    p->Dispatch(effSetProgramName, 0, 0, longName.data());
    char text[64];
    std::memset(text, 'x', sizeof text);
    p->Dispatch(effGetProgramName, 0, 0, text);
    EXPECT_EQ(std::string(text), std::string(24, 'n'));
    // stored whole: a short name afterwards replaces it entirely
    char shortName[] = "Master";
    p->Dispatch(effSetProgramName, 0, 0, shortName);
    EXPECT_EQ(p->TextOpcode(effGetProgramName), "Master");
}

} // namespace

namespace {

// The editor writes each slider's unit from the effect's own texts; they must say what the
// parameter table says, or the editor and the other formats' units would drift apart.
TEST(Parameters, EveryEditorControlShowsItsParametersUnit)
{
    TVexlEffect effect;
    effect.DoReset();
    int shown = 0;
    for (const ControlPlace& place : kControls) {
        const ParameterRow* row = RowOfSlider(place.slider);
        ASSERT_NE(row, nullptr) << place.slider;
        if (place.kind != ControlKind::Slider) continue;
        EXPECT_EQ(effect.String(place.unitString), row->unit) << row->name;
        ++shown;
    }
    EXPECT_EQ(shown + 14, kParameterTableSize); // 16 sliders, 14 switches
}

} // namespace
