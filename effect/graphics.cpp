#include "effect/editor_layout.h"
#include "effect/effect.h"
#include "effect/widgets.h"

namespace {

constexpr int kBackgroundImage = 0;
constexpr double kCourierNew = 10001;
constexpr double kArial = 10014;
constexpr double kBuildLabelFont = 10070;
constexpr double kLetterM = 10015, kLetterS = 10016, kMsBalance = 10017;
constexpr double kLetterL = 10018, kLetterR = 10019, kLrBalance = 10020;
constexpr double kBandLetterT = 10021; // one "T" per band, 10021 to 10024
constexpr int kBalanceSlider = SliderOf(Param::Balance);

} // namespace

void TVexlEffect::DoGraphics()
{
    editor.mouseButtons = mouseButtons;
    editor.mouseX = mouseX;
    editor.mouseY = mouseY;

    SetColour(editor, 0, 0, 0);
    editor.colourAlpha = 1.0;
    drawX = 0;
    drawY = 0;
    SetFont(0, kCourierNew, 13, 0);
    DrawImage(kBackgroundImage);
    SetFont(1, kArial, 13, 1);

    if (!IsOn(dsp.msMode)) {
        editor.channel1Letter = kLetterL;
        editor.channel2Letter = kLetterR;
        editor.balanceCaption = kLrBalance;
    } else {
        editor.channel1Letter = kLetterM;
        editor.channel2Letter = kLetterS;
        editor.balanceCaption = kMsBalance;
    }

    // Meters: per band channel 1, channel 2 and the transient meter, each under its letter.
    // A band muted by another band's solo is drawn faintly.
    const double mx0 = editor.meterOriginX, my0 = editor.meterOriginY;
    for (int b = 0; b < kBandCount; ++b) {
        const double letters[3] = {editor.channel1Letter, editor.channel2Letter, kBandLetterT + b};
        const double gains[3] = {dsp.compMeter[0][b], dsp.compMeter[1][b], dsp.transientMeter[b]};
        const ColourVariables* colours[3] = {&editor.channel1MeterColour, &editor.channel2MeterColour,
                                             &editor.transientMeterColour};
        editor.colourAlpha = IsOn(dsp.soloPass[b]) ? 0.8 : 0.2;
        for (int m = 0; m < 3; ++m) {
            const int meter = 3 * b + m;
            SetColour(editor, 1, 1, 1);
            drawX = mx0 + (kMeterLetterX[meter] - MX0);
            drawY = my0 + 25;
            DrawText(letters[m], CurrentColour(editor));
            MeterBar(*this, gains[m], editor.meterExponent[meter], *colours[m], editor.meterX[meter],
                     editor.meter[meter]);
        }
    }

    editor.colourAlpha = 1.0;
    for (auto& channelMeters : dsp.compMeter)
        for (SharedValue& meter : channelMeters)
            meter = 1.0;

    const double x0 = editor.sliderOriginX, y0 = editor.sliderOriginY;
    for (int i = 0; i < kControlCount; ++i) {
        ControlPlace place = kControls[i];
        place.x = x0 + (place.x - X0);
        place.y = y0 + (place.y - Y0);
        SliderState& state = editor.control[i];
        SharedValue& value = sliderValue[place.slider];
        const double before = value;
        double result = 0.0;
        switch (place.kind) {
        case ControlKind::Slider:
            if (place.slider == kBalanceSlider) {
                if (IsOn(dsp.monoInput)) {
                    // Mono input has no balance: the slider is hidden and held at 0 dB,
                    // and the processor is told when that changed the value.
                    if (IsOn(value)) editor.editorChanged = 1.0;
                    value = 0.0;
                    sliderValues[place.slider] = 0.0;
                    state.lock = 1.0;
                    EndEditGesture(i, place.slider);
                    continue;
                }
                if (IsOn(state.lock)) {
                    // Stereo again: the slider comes back as if newly shown, so only a
                    // fresh press on it starts a drag.
                    state.lock = 0.0;
                    state.hover = 0.0;
                    state.dragging = 0.0;
                    state.anchor = 0.0;
                }
            }
            result = SliderWidget(*this, place, state, value);
            break;
        case ControlKind::Switch:
            result = ToggleWidget(*this, place.x, place.y, place.width, state.hover, value, editor.switchColour);
            break;
        case ControlKind::BypassSwitch:
            result = ToggleWidget(*this, place.x, place.y, place.width, state.hover, value, editor.bypassColour);
            break;
        }
        sliderValues[place.slider] = result;
        if (place.kind == ControlKind::Slider)
            AnnounceSliderEdit(i, place.slider, IsOn(state.dragging), result != before);
        else if (result != before)
            AnnounceSwitchEdit(place.slider);
    }

    if (IsOn(editor.editorChanged)) {
        UpdateCoefficients();
        editor.editorChanged = 0.0;
    }

    drawX = kBuildLabelX;
    drawY = kBuildLabelY;
    SetColour(editor, 1, 1, 1);
    editor.colourAlpha = 0.2;
    SetFont(1, kBuildLabelFont, 12, 0);
    DrawText(editor.buildTextNumber, CurrentColour(editor));
}

// The host hears of the user's own edits as gestures: begin at the press that starts a
// drag, the new value on each change, end at the release.
void TVexlEffect::AnnounceSliderEdit(int control, int slider, bool dragging, bool changed)
{
    const int32_t index = ParameterOfSlider(slider);
    if (!hostObject || index < 0) return;
    if (dragging && !editGesture_[control]) {
        editGesture_[control] = true;
        hostObject->BeginEdit(index);
    }
    if (editGesture_[control] && changed) hostObject->PerformEdit(index, GetParameterNormalized(index));
    if (!dragging) EndEditGesture(control, slider);
}

void TVexlEffect::EndEditGesture(int control, int slider)
{
    const int32_t index = ParameterOfSlider(slider);
    if (!editGesture_[control]) return;
    editGesture_[control] = false;
    if (hostObject && index >= 0) hostObject->EndEdit(index);
}

// A switch flips at a press: the whole gesture at once.
void TVexlEffect::AnnounceSwitchEdit(int slider)
{
    const int32_t index = ParameterOfSlider(slider);
    if (!hostObject || index < 0) return;
    hostObject->BeginEdit(index);
    hostObject->PerformEdit(index, GetParameterNormalized(index));
    hostObject->EndEdit(index);
}

void TVexlEffect::EndEditGestures()
{
    for (int i = 0; i < kControlCount; ++i)
        EndEditGesture(i, kControls[i].slider);
}
