#include "effect/editor_layout.h"
#include "effect/effect.h"

namespace {
void Set(ColourVariables& variables, const EditorColour& colour) noexcept
{
    variables.red = colour.red;
    variables.green = colour.green;
    variables.blue = colour.blue;
}
} // namespace

void TVexlEffect::InitEditorConstants()
{
    editor.sliderOriginX = X0;
    editor.sliderOriginY = Y0;
    editor.meterOriginX = MX0;
    editor.meterOriginY = MY0;
    editor.meterTop = MY0 + 40;
    for (int i = 0; i < kMeterCount; ++i) {
        editor.meterX[i] = kMeterX[i];
        editor.meterExponent[i] = kMeterExponent;
    }
    Set(editor.switchColour, kSwitchColour);
    Set(editor.bypassColour, kBypassColour);
    Set(editor.channel1MeterColour, kChannel1MeterColour);
    Set(editor.channel2MeterColour, kChannel2MeterColour);
    Set(editor.transientMeterColour, kTransientMeterColour);
    editor.buildTextNumber = 10000;
}
