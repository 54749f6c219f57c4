#pragma once
// The editor's drawing section run frame by frame on an off-screen surface, with the mouse
// state set between frames the way the editor's mouse entries set it. A second surface
// holds reference pictures drawn with the runtime's own operations over the background.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "effect/effect.h"
#include "gui/offscreen_context.h"
#include "tests/counting_effect.h"
#include "tests/test_paths.h"

namespace testing_support {

class EditorFrames {
public:
    // Both surfaces at `scale` pixels per editor unit.
    explicit EditorFrames(double scale = 1.0) : screen(890, 550, scale), reference(890, 550, scale)
    {
        (void)kTestLogFile;
        p.Dispatch(effOpen);
        p.Dispatch(effMainsChanged, 0, 1);
        Block();
    }
    ~EditorFrames() { p.host->drawContext = nullptr; }

    TVexlEffect& e() { return *p.effect; }

    // One frame with the pointer at (x, y) and the button mask as given.
    void Frame(double x, double y, double buttons = 0)
    {
        e().mouseX = x;
        e().mouseY = y;
        e().mouseButtons = buttons;
        screen.ResetState();
        p.host->drawContext = &screen;
        e().DoGraphics();
        p.host->drawContext = nullptr;
    }
    // A processing call with no frames, as the audio thread makes one: it takes the changes
    // made since the last, runs the block section and answers the editor's meter request.
    void Block()
    {
        double* none[2] = {nullptr, nullptr};
        p.aeffect->processDoubleReplacing(p.aeffect, none, none, 0);
    }
    void Frames(int count, double x, double y, double buttons = 0)
    {
        for (int i = 0; i < count; ++i)
            Frame(x, y, buttons);
    }

    int ParameterIndex(int slider)
    {
        const auto& defs = e().sliderDefs;
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].number == slider) return static_cast<int>(i);
        ADD_FAILURE() << "no slider " << slider;
        return 0;
    }
    // Sets a slider in its own units through the host's parameter entry.
    void SetSlider(int slider, double value)
    {
        const SliderDef& d = e().sliderDefs[ParameterIndex(slider)];
        p.aeffect->setParameter(p.aeffect, ParameterIndex(slider),
                                static_cast<float>((value - d.minimum) / (d.maximum - d.minimum)));
    }
    float Parameter(int slider) { return p.aeffect->getParameter(p.aeffect, ParameterIndex(slider)); }
    double Slider(int slider) { return e().sliderValues[slider]; }

    // The background picture alone, then whatever `extra` draws over it.
    void DrawReference(const std::function<void(TVexlEffect&)>& extra = {})
    {
        reference.ResetState();
        p.host->drawContext = &reference;
        e().drawX = 0;
        e().drawY = 0;
        e().DrawImage(0);
        if (extra) extra(e());
        p.host->drawContext = nullptr;
    }

    // The number of pixels in the box where the screen and the reference differ.
    int DifferingPixels(int x, int y, int width, int height) const
    {
        int count = 0;
        for (int row = y; row < y + height; ++row)
            for (int column = x; column < x + width; ++column)
                count += screen.ReadArgb(column, row) != reference.ReadArgb(column, row);
        return count;
    }
    bool Differs(int x, int y) const { return screen.ReadArgb(x, y) != reference.ReadArgb(x, y); }

    HostedEffect<TVexlEffect> p;
    gui::OffscreenContext screen;
    gui::OffscreenContext reference;
};

// Text drawn the way a value text or a letter is: in the font of the given slot settings,
// at (x, y), in the colour given.
inline void DrawTextAt(TVexlEffect& e, const std::string& text, double x, double y, DrawColour colour,
                       double fontString = 10014, double height = 13, double style = 1)
{
    constexpr int kScratch = 190123;
    e.SetFont(1, fontString, height, style);
    e.SetString(kScratch, text);
    e.drawX = x;
    e.drawY = y;
    e.DrawText(kScratch, colour);
}

inline void DrawKnobAt(TVexlEffect& e, double x, double y)
{
    e.drawX = x;
    e.drawY = y;
    e.DrawImage(1);
}

} // namespace testing_support
