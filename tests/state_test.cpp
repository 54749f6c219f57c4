// Saving and restoring the settings as the host's state chunk.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/counting_effect.h"
#include "tests/plugin_fixture.h"

using testing_support::CountingInstance;
using testing_support::NewInstance;

namespace {

std::vector<float> AsFloats(const std::vector<unsigned char>& bytes)
{
    std::vector<float> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.data(), values.size() * 4);
    return values;
}

// Slider number of each parameter and its default, from the parameter table.
constexpr int kNumbers[30] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                              16, 17, 18, 19, 20, 21, 22, 23, 30, 31, 32, 33, 34, 40, 41};
constexpr double kDefaults[30] = {15, 15, 15, 15, 1, 0, 0, 0, 0,   1, 0, 0, 0, 0, 1,
                                  0,  0,  0,  0,  0, 0, 0, 0, 0.5, 0, 0, 1, 0, 0, 0};

TEST(State, FreshChunkHoldsTheMarkerAndEverySliderValue)
{
    auto p = NewInstance();
    const auto chunk = p->GetChunk();
    ASSERT_EQ(chunk.size(), 260u);
    EXPECT_EQ(chunk[0], 0x00);
    EXPECT_EQ(chunk[1], 0x00);
    EXPECT_EQ(chunk[2], 0x7A);
    EXPECT_EQ(chunk[3], 0xC4);
    const auto values = AsFloats(chunk);
    std::vector<double> expected(65, 0.0);
    expected[0] = -1000.0;
    for (int i = 0; i < 30; ++i)
        expected[kNumbers[i]] = kDefaults[i];
    for (int k = 0; k < 65; ++k)
        EXPECT_EQ(values[k], static_cast<float>(expected[k])) << k;
    EXPECT_EQ(p->GetChunk(true), chunk); // a bank and a program give the same bytes
}

TEST(State, SaveChangeAndReloadRestoresAllParameters)
{
    auto a = NewInstance();
    a->Start();
    for (int i = 0; i < 30; ++i)
        a->SetParameter(i, static_cast<float>((i * 7 % 11) / 10.0));
    std::vector<float> saved(30);
    for (int i = 0; i < 30; ++i)
        saved[i] = a->GetParameter(i);
    const auto chunk = a->GetChunk();

    auto b = NewInstance();
    b->Start();
    EXPECT_EQ(b->SetChunk(chunk.data(), static_cast<int32_t>(chunk.size())), 260);
    for (int i = 0; i < 30; ++i)
        EXPECT_FLOAT_EQ(b->GetParameter(i), saved[i]) << i;

    // also after mains off and on, and into an instance that was never started
    b->Dispatch(effMainsChanged, 0, 0);
    b->Dispatch(effOpen);  // reopening clears memory and texts, not the sliders
    b->Dispatch(effMainsChanged, 0, 1);
    auto c = NewInstance();
    c->SetChunk(chunk.data(), static_cast<int32_t>(chunk.size()));
    for (int i = 0; i < 30; ++i) {
        EXPECT_FLOAT_EQ(b->GetParameter(i), saved[i]) << i;
        EXPECT_FLOAT_EQ(c->GetParameter(i), saved[i]) << i;
    }
}

TEST(State, ValuesTravelAsThirtyTwoBitFloats)
{
    CountingInstance p;
    p.effect->sliderValues[2] = 0.1;
    void* data = nullptr;
    const intptr_t size = p.Dispatch(effGetChunk, 0, 0, &data);
    ASSERT_EQ(size, 260);
    std::vector<unsigned char> chunk(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    p.effect->sliderValues[2] = 5.0;
    p.Dispatch(effSetChunk, 0, size, chunk.data());
    EXPECT_EQ(p.effect->sliderValues[2], static_cast<double>(0.1f));
    EXPECT_NE(p.effect->sliderValues[2], 0.1);
}

TEST(State, ShortChunkSetsOnlyTheSlidersItHoldsAndInitRunsOnce)
{
    CountingInstance p;
    p.effect->sliderValues[3] = 9.0;
    const float shortChunk[3] = {-1000.0f, 5.0f, 7.0f};
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, sizeof shortChunk, const_cast<float*>(shortChunk)), 12);
    EXPECT_EQ(p.effect->sliderValues[1], 5.0);
    EXPECT_EQ(p.effect->sliderValues[2], 7.0);
    EXPECT_EQ(p.effect->sliderValues[3], 9.0);
    EXPECT_EQ(p.effect->initRuns, 1);
    // The load is heard as one change, from the next processing call on.
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, 1);
    EXPECT_EQ(p.effect->appliedValues[1], 5.0);
    p.Dispatch(effSetChunk, 0, sizeof shortChunk, const_cast<float*>(shortChunk));
    EXPECT_EQ(p.effect->initRuns, 1);
    p.Block();
    EXPECT_EQ(p.effect->sliderRuns, 2);
}

TEST(State, ForeignOrDamagedChunksChangeNothing)
{
    CountingInstance p;
    std::vector<float> foreign(65, 3.0f);
    foreign[0] = -999.0f;
    // Left, and answered as left: 0, not the byte count of a chunk that was taken.
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 260, foreign.data()), 0);
    foreign[0] = std::nanf("");
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 260, foreign.data()), 0);
    const unsigned char tiny[3] = {0, 0, 0x7A};
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 3, const_cast<unsigned char*>(tiny)), 0);
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, -8, foreign.data()), 0);
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 0, foreign.data()), 0);
    EXPECT_EQ(p.effect->sliderValues[1], 15.0);
    EXPECT_EQ(p.effect->sliderValues[2], 3.0);
    EXPECT_EQ(p.effect->initRuns, 0);
    EXPECT_EQ(p.effect->sliderRuns, 0);
}

TEST(State, TrailingBytesAreDroppedAndLongChunksCutAtSliderSixtyFour)
{
    CountingInstance p;
    unsigned char ten[10] = {};
    const float marker = -1000.0f, value = 4.0f;
    std::memcpy(ten, &marker, 4);
    std::memcpy(ten + 4, &value, 4);
    ten[8] = 0xFF;
    ten[9] = 0xFF;
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 10, ten), 10);
    EXPECT_EQ(p.effect->sliderValues[1], 4.0);
    EXPECT_EQ(p.effect->sliderValues[2], 3.0);

    std::vector<float> longChunk(100, 2.0f);
    longChunk[0] = -1000.0f;
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, 400, longChunk.data()), 400);
    EXPECT_EQ(p.effect->sliderValues[64], 2.0);
    EXPECT_EQ(p.effect->sliderValues[65], 0.0);
}

TEST(State, RestoredValuesAreNeitherClampedNorQuantised)
{
    auto p = NewInstance();
    std::vector<float> chunk(65, 0.0f);
    chunk[0] = -1000.0f;
    chunk[1] = 99.0f;  // LO Compress, range 0..40
    chunk[6] = 1.234f; // LO Transient, step 0.1
    p->SetChunk(chunk.data(), 260);
    EXPECT_FLOAT_EQ(p->GetParameter(0), 99.0f / 40.0f);
    EXPECT_EQ(p->ParameterDisplay(5), "1.23");
}

TEST(State, GetChunkWithoutAPlaceForThePointerAnswersZero)
{
    auto p = NewInstance();
    EXPECT_EQ(p->Dispatch(effGetChunk, 0, 0, nullptr), 0);
}

} // namespace
