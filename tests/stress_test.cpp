// Four host threads on one instance at once, as a DAW drives it: the audio thread
// processes without pause, an automation thread sets parameters flat out, the parameter
// thread sets, saves and restores states and switches the instance off and on, the editor
// thread paints and drags controls. Run under ThreadSanitizer in CI: no race, and at the
// end the last state written is what the host reads back and what the audio thread took.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "core/editor_input.h"
#include "core/plugin.h"
#include "effect/effect.h"
#include "gui/offscreen_context.h"
#include "vst2/vest_view.h"
#include "tests/counting_effect.h"

namespace {

using Hosted = testing_support::HostedEffect<TVexlEffect>;

double StressSeconds()
{
    const char* text = std::getenv("TOLVANGER_STRESS_SECONDS");
    const double seconds = text ? std::atof(text) : 1.5;
    return seconds > 0 ? seconds : 1.5;
}

TEST(Stress, AudioParameterAndEditorThreadsAtOnce)
{
    Hosted p;
    p.Dispatch(effOpen);
    p.Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    p.Dispatch(effSetBlockSize, 0, 512);
    p.Dispatch(effMainsChanged, 0, 1);

    std::atomic<bool> stopAudio{false}, stopOthers{false};
    std::atomic<bool> finite{true};
    std::atomic<long> blocks{0}, frames{0}, chunks{0};

    std::thread audio([&] {
        std::mt19937 random(1);
        std::uniform_real_distribution<double> noise(-0.7, 0.7);
        const int sizes[] = {1, 7, 64, 256, 512, 33};
        std::vector<float> fl(512), fr(512);
        std::vector<double> dl(512), dr(512);
        for (long n = 0; !stopAudio.load(); ++n) {
            const int frameCount = sizes[n % 6];
            if (n % 2 == 0) {
                for (int i = 0; i < frameCount; ++i)
                    fl[i] = static_cast<float>(noise(random)), fr[i] = fl[i] * 0.5f;
                float* io[2] = {fl.data(), fr.data()};
                p.aeffect->processReplacing(p.aeffect, io, io, frameCount);
                for (int i = 0; i < frameCount; ++i)
                    if (!std::isfinite(fl[i]) || !std::isfinite(fr[i])) finite = false;
            } else {
                for (int i = 0; i < frameCount; ++i)
                    dl[i] = noise(random), dr[i] = -dl[i];
                double* io[2] = {dl.data(), dr.data()};
                p.aeffect->processDoubleReplacing(p.aeffect, io, io, frameCount);
                for (int i = 0; i < frameCount; ++i)
                    if (!std::isfinite(dl[i]) || !std::isfinite(dr[i])) finite = false;
            }
            ++blocks;
        }
    });

    std::thread automation([&] {
        std::mt19937 random(4);
        std::uniform_int_distribution<int> index(0, 29);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        while (!stopOthers.load())
            p.aeffect->setParameter(p.aeffect, index(random), value(random));
    });

    std::vector<unsigned char> lastChunk;
    std::thread parameters([&] {
        std::mt19937 random(2);
        std::uniform_int_distribution<int> index(0, 29);
        std::uniform_real_distribution<float> value(0.0f, 1.0f);
        char name[32];
        for (long n = 0; !stopOthers.load(); ++n) {
            p.aeffect->setParameter(p.aeffect, index(random), value(random));
            (void)p.aeffect->getParameter(p.aeffect, index(random));
            if (n % 16 == 0) {
                std::snprintf(name, sizeof name, "Take %ld", n);
                p.Dispatch(effSetProgramName, 0, 0, name);
            }
            if (n % 8 == 0) {
                void* data = nullptr;
                const intptr_t size = p.Dispatch(effGetChunk, 0, 0, &data);
                lastChunk.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
                p.Dispatch(effSetChunk, 0, size, lastChunk.data());
                ++chunks;
            }
            if (n % 200 == 0) {
                p.Dispatch(effMainsChanged, 0, 0);
                p.Dispatch(effMainsChanged, 0, 1);
            }
        }
    });

    std::thread editor([&] {
        std::mt19937 random(3);
        std::uniform_real_distribution<double> x(0, 890), y(0, 550);
        gui::OffscreenContext context(890, 550);
        CVeSTView view(p.host, 890, 550);
        const int buttons[] = {0, 0, 1, 1, 1, 0, 1 | 32, 1 | 64};
        for (long n = 0; !stopOthers.load(); ++n) {
            const int b = buttons[n % 8];
            if (n % 40 < 12) {
                // A drag along LO Gain's track: hover, press, move, release.
                const double along = 120 + 25 * (n % 40);
                if (n % 40 == 0) view.MouseMove(along, 286, 0);
                else if (n % 40 == 11) view.MouseUp(along, 286, 0);
                else view.MouseDown(along, 286, 1);
            } else if (n % 3 == 0)
                view.MouseDown(x(random), y(random), b);
            else if (n % 3 == 1)
                view.MouseMove(x(random), y(random), b);
            else
                view.MouseUp(x(random), y(random), 0);
            {
                PaintScope paint(*p.host->plugin, context);
                view.Draw();
            }
            if (p.host->table.idle) p.host->table.idle(p.host);
            ++frames;
        }
    });

    std::this_thread::sleep_for(std::chrono::duration<double>(StressSeconds()));
    stopOthers = true;
    editor.join();
    automation.join();
    parameters.join();
    // The last restore, while audio still runs, decides the final settings.
    ASSERT_EQ(lastChunk.size(), 260u);
    EXPECT_EQ(p.Dispatch(effSetChunk, 0, static_cast<intptr_t>(lastChunk.size()), lastChunk.data()), 260);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stopAudio = true;
    audio.join();

    EXPECT_TRUE(finite.load());
    EXPECT_GT(blocks.load(), 10);
    EXPECT_GT(frames.load(), 2);
    EXPECT_GT(chunks.load(), 2);
    std::vector<float> values(65);
    std::memcpy(values.data(), lastChunk.data(), 260);
    for (int i = 0; i < 30; ++i) {
        const SliderDef& d = p.effect->sliderDefs[i];
        const float expected =
            static_cast<float>((static_cast<double>(values[d.number]) - d.minimum) / (d.maximum - d.minimum));
        EXPECT_FLOAT_EQ(p.aeffect->getParameter(p.aeffect, i), expected) << i;
        // The audio thread took the whole state: the slider section's copy is the last load.
        EXPECT_EQ(p.effect->sliderValue[d.number], static_cast<double>(values[d.number])) << i;
    }
}

} // namespace
