#include "effect/widgets.h"

#include <algorithm>
#include <cmath>

#include "effect/effect.h"
#include "effect/format_string.h"
#include "runtime/mouse.h"

namespace {

constexpr double kValueText = 190000;
constexpr double kValueFormat = 10002; // "%.1f"
constexpr int kKnobImage = 1;
constexpr double kHoldFrames = 100;
constexpr double kPeakFall = 3;

bool Inside(double v, double low, double high) { return low <= v && v <= high; }

} // namespace

DrawColour CurrentColour(const EditorVariables& editor) noexcept
{
    return {editor.colourRed, editor.colourGreen, editor.colourBlue, editor.colourAlpha};
}

void SetColour(EditorVariables& editor, double red, double green, double blue) noexcept
{
    editor.colourRed = red;
    editor.colourGreen = green;
    editor.colourBlue = blue;
}

double SliderWidget(TVexlEffect& effect, const ControlPlace& place, SliderState& state, double value)
{
    EditorVariables& editor = effect.editor;
    const double x = place.x, y = place.y, w = place.width, h = place.height;
    const double minimum = place.minimum, maximum = place.maximum;
    const double range = std::fabs(minimum - maximum);
    const double track = w - 28;
    const double buttons = editor.mouseButtons, mouseX = editor.mouseX, mouseY = editor.mouseY;

    const bool over = Inside(mouseX, x, x + w) && Inside(mouseY, y, y + h) && !IsOn(state.lock);
    if (over && !IsOn(buttons)) {
        state.hover = 1.0;
        state.dragging = 0.0;
        state.anchor = 0.0;
    } else if (over) {
        // Only a press that follows a frame over the slider without a button starts a drag,
        // so a drag that began elsewhere never takes this slider along.
        if (IsOn(state.hover)) state.dragging = 1.0;
    } else {
        state.hover = 0.0;
        // A drag goes on outside the slider, and outside the window, until the release.
        if (!IsOn(buttons)) {
            state.dragging = 0.0;
            state.anchor = 0.0;
        }
    }

    if (IsOn(state.dragging)) {
        const int mask = static_cast<int>(buttons);
        double offset = mouseX - x - kKnobHalfWidth;
        if ((mask & mouse_mask::kShift) == 0) {
            state.anchor = 0.0;
        } else {
            if (!IsOn(state.anchor)) state.anchor = mouseX;
            const double anchor = state.anchor;
            // From the anchor on the knob moves 100 / anchor pixels per pixel of mouse travel;
            // an anchor at x 0 (a slider at the window's edge) has no fine drag.
            if (IsOn(anchor))
                offset = (mouseX / anchor - 1.0) * 100.0 + kKnobHalfWidth + (anchor - x - kKnobHandleWidth);
        }
        const double stepsPerUnit = 1.0 / place.step;
        // Rounded up: a partial step counts as a full one.
        value = std::ceil(offset / track * range * stepsPerUnit) / stepsPerUnit + minimum;
        if (mask & mouse_mask::kControl) value = place.defaultValue;
        editor.editorChanged = 1.0;
    }
    value = std::max(minimum, std::min(maximum, value));

    const double knob = track * (value + range - maximum) / range;
    effect.drawX = x + 1 + knob;
    effect.drawY = y + 1;
    effect.DrawImage(kKnobImage);

    SetColour(editor, kValueTextColour.red, kValueTextColour.green, kValueTextColour.blue);
    FormatString(effect, kValueText, kValueFormat, value);
    effect.String(kValueText) += place.unit;
    effect.drawX = x + w + kValueTextGap;
    effect.drawY = y + h * 0.5 - effect.textHeight * 0.5;
    effect.DrawText(kValueText, CurrentColour(editor));
    return value;
}

double ToggleWidget(TVexlEffect& effect, double x, double y, double size, SharedValue& hover, double value,
                    const ColourVariables& colour)
{
    EditorVariables& editor = effect.editor;
    const bool over = Inside(editor.mouseX, x, x + size) && Inside(editor.mouseY, y, y + size);
    const bool pressed = IsOn(editor.mouseButtons);
    if (over && !pressed) {
        hover = 1.0;
    } else if (over && IsOn(hover)) {
        // Hover is dropped at the flip, so a held button flips once.
        value = 1.0 - value;
        hover = 0.0;
        editor.editorChanged = 1.0;
    } else if (!over) {
        hover = 0.0;
    }

    if (IsOn(value)) {
        SetColour(editor, colour.red, colour.green, colour.blue);
        effect.FillRect(x + 2, y + 2, size - 4, size - 4, CurrentColour(editor));
    }
    return value;
}

void MeterBar(TVexlEffect& effect, double gain, double exponent, const ColourVariables& colour, double meterX,
              MeterState& state)
{
    EditorVariables& editor = effect.editor;
    const double top = editor.meterTop + 1;
    const double scale = kMeterHeight;
    // A gain of 1 gives no bar, a gain of 0 the full 299 rows; fmin keeps a NaN gain at 0.
    const double length = scale - std::fmin(std::pow(gain, exponent) * scale, scale - 1) - 1;

    SetColour(editor, colour.red, colour.green, colour.blue);
    effect.FillRect(meterX, top, kMeterWidth, length, CurrentColour(editor));

    if (length >= state.peak) {
        state.peak = length;
        state.hold = 0.0;
    } else {
        state.hold += 1.0;
        if (state.hold > kHoldFrames) state.peak -= kPeakFall;
    }
    state.peak = std::max(static_cast<double>(state.peak), 0.0);

    effect.FillRect(meterX, top + state.peak, kMeterWidth, 1, CurrentColour(editor));
}
