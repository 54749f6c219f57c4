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

namespace {

// How many frames the editor waits for the audio thread to answer its meter request before
// it shows the meters at rest: with no audio running there is no reduction to show.
constexpr int kMeterPatience = 10;

} // namespace

bool TVexlEffect::SliderHidden(int32_t number) const noexcept
{
    return number == kBalanceSlider && IsOn(dsp.monoInput);
}

void TVexlEffect::TakeMetersForEditor() noexcept
{
    const bool answered = meters_.answered.load(std::memory_order_acquire) == meterAsked_;
    if (answered) meterWaits_ = 0;
    const bool atRest = !answered && ++meterWaits_ > kMeterPatience;
    for (int b = 0; b < kBandCount; ++b) {
        for (int c = 0; c < kChannelCount; ++c)
            if (answered || atRest) shownMeter_[c][b] = answered ? static_cast<double>(meters_.lowest[c][b]) : 1.0;
        if (answered || atRest) shownTransient_[b] = answered ? static_cast<double>(meters_.transient[b]) : 1.0;
    }
    if (answered) meters_.asked.store(++meterAsked_, std::memory_order_release);
}

// Reads the parameters as the host has them and the meters the audio thread handed over;
// writes a parameter only for an edit of the user's own, through the edit gestures.
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

    auto parameter = [this](Param p) { return static_cast<double>(sliderValues[SliderOf(p)]); };
    if (!IsOn(parameter(Param::StereoMode))) {
        editor.channel1Letter = kLetterL;
        editor.channel2Letter = kLetterR;
        editor.balanceCaption = kLrBalance;
    } else {
        editor.channel1Letter = kLetterM;
        editor.channel2Letter = kLetterS;
        editor.balanceCaption = kMsBalance;
    }
    bool solo[kBandCount];
    for (int b = 0; b < kBandCount; ++b)
        solo[b] = IsOn(parameter(Band(Param::LoSolo, b)));
    bool soloPass[kBandCount];
    SoloPasses(solo, soloPass);

    // Meters: per band channel 1, channel 2 and the transient meter, each under its letter.
    // A band muted by another band's solo is drawn faintly.
    TakeMetersForEditor();
    const double mx0 = editor.meterOriginX, my0 = editor.meterOriginY;
    for (int b = 0; b < kBandCount; ++b) {
        const double letters[3] = {editor.channel1Letter, editor.channel2Letter, kBandLetterT + b};
        const double gains[3] = {shownMeter_[0][b], shownMeter_[1][b], shownTransient_[b]};
        const ColourVariables* colours[3] = {&editor.channel1MeterColour, &editor.channel2MeterColour,
                                             &editor.transientMeterColour};
        editor.colourAlpha = soloPass[b] ? 0.8 : 0.2;
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

    const double x0 = editor.sliderOriginX, y0 = editor.sliderOriginY;
    for (int i = 0; i < kControlCount; ++i) {
        ControlPlace place = kControls[i];
        place.x = x0 + (place.x - X0);
        place.y = y0 + (place.y - Y0);
        SliderState& state = editor.control[i];
        const double before = sliderValues[place.slider];
        double value = before;
        editor.editorChanged = 0.0;
        switch (place.kind) {
        case ControlKind::Slider:
            if (place.slider == kBalanceSlider) {
                if (IsOn(dsp.monoInput)) {
                    // Mono input has no balance: the slider is hidden and held at 0 dB, which
                    // the host hears of as an edit.
                    EndEditGesture(i, place.slider);
                    if (IsOn(before)) WholeEdit(place.slider, 0.0);
                    state.lock = 1.0;
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
            value = SliderWidget(*this, place, state, value);
            SliderEdit(i, place.slider, IsOn(state.dragging), IsOn(editor.editorChanged) && value != before, value);
            break;
        case ControlKind::Switch:
        case ControlKind::BypassSwitch: {
            const ColourVariables& colour =
                place.kind == ControlKind::Switch ? editor.switchColour : editor.bypassColour;
            value = ToggleWidget(*this, place.x, place.y, place.width, state.hover, value, colour);
            if (IsOn(editor.editorChanged)) WholeEdit(place.slider, value);
            break;
        }
        }
    }
    editor.editorChanged = 0.0;

    drawX = kBuildLabelX;
    drawY = kBuildLabelY;
    SetColour(editor, 1, 1, 1);
    editor.colourAlpha = 0.2;
    SetFont(1, kBuildLabelFont, 12, 0);
    DrawText(editor.buildTextNumber, CurrentColour(editor));
}

// The host hears of the user's own edits as gestures: begin at the press that starts a
// drag, the new value on each change, end at the release. The value is stored like any
// other change, so the audio thread takes it at its next block.
void TVexlEffect::SliderEdit(int control, int slider, bool dragging, bool edited, double value)
{
    const int32_t index = ParameterOfSlider(slider);
    if (index < 0) return;
    if (dragging && !editGesture_[control]) {
        editGesture_[control] = true;
        if (hostObject) hostObject->BeginEdit(index);
    }
    if (edited) {
        StoreSlider(slider, value);
        if (editGesture_[control] && hostObject) hostObject->PerformEdit(index, value);
    }
    if (!dragging) EndEditGesture(control, slider);
}

void TVexlEffect::EndEditGesture(int control, int slider)
{
    const int32_t index = ParameterOfSlider(slider);
    if (!editGesture_[control]) return;
    editGesture_[control] = false;
    if (hostObject && index >= 0) hostObject->EndEdit(index);
}

// A change made at once, such as a switch flipped at a press: the whole gesture.
void TVexlEffect::WholeEdit(int slider, double value)
{
    const int32_t index = ParameterOfSlider(slider);
    if (index < 0) return;
    if (hostObject) hostObject->BeginEdit(index);
    StoreSlider(slider, value);
    if (hostObject) {
        hostObject->PerformEdit(index, value);
        hostObject->EndEdit(index);
    }
}

void TVexlEffect::EndEditGestures()
{
    for (int i = 0; i < kControlCount; ++i)
        EndEditGesture(i, kControls[i].slider);
}
