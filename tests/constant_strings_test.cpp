// The texts the editor draws with: defined by opening the instance, numbered from 10000.

#include <gtest/gtest.h>

#include "effect/effect.h"
#include "tests/counting_effect.h"

namespace {

// As the editor's drawing refers to them: fonts, the value format, scale labels, letters,
// units and captions, in number order.
const char* const kExpected[71] = {
    "Build 170206", "Courier New", "%.1f", "0", "1", "3", "6", "10", "15", "20", "30", "40", "60", "80",
    "Arial", "M", "S", "M-S Balance", "L", "R", "L-R Balance", "T", "T", "T", "T", "dB", "LO Compress",
    "dB", "LM Compress", "dB", "HM Compress", "dB", "HI Compress", "Comp On/Off", "", "LO Transient", "",
    "LM Transient", "", "HM Transient", "", "HI Transient", "Trans On/Off", "dB", "LO Gain", "dB",
    "LM Gain", "dB", "HM Gain", "dB", "HI Gain", "EQ On/Off", "LO Solo", "LM Solo", "HM Solo", "HI Solo",
    "LO Bypass", "LM Bypass", "HM Bypass", "HI Bypass", "", "Inertia", "dB", "Punch", "Stereo / M-S",
    "K-20", "dB", "Input", "dB", "Output", "Arial"};

TEST(ConstantStrings, OpeningDefinesTheTextsAndImageNames)
{
    testing_support::HostedEffect<TVexlEffect> p;
    EXPECT_TRUE(p.effect->stringTable.empty());
    p.Dispatch(effOpen);
    ASSERT_EQ(p.effect->stringTable.size(), 71u);
    for (int i = 0; i < 71; ++i) EXPECT_EQ(p.effect->stringTable.at(10000 + i), kExpected[i]) << 10000 + i;
    EXPECT_EQ(p.effect->fileNameTable.at(0), "tolvanger_gfx\\bg.png");
    EXPECT_EQ(p.effect->fileNameTable.at(1), "tolvanger_gfx\\sliderknob.png");

    // a second open starts from scratch again: scratch texts are gone, the constants back
    p.effect->SetString(190000, "15.0dB");
    p.effect->SetString(10000, "changed");
    p.Dispatch(effOpen);
    EXPECT_EQ(p.effect->stringTable.count(190000), 0u);
    EXPECT_EQ(p.effect->stringTable.at(10000), "Build 170206");
}

} // namespace
