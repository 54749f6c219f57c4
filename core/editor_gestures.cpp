#include "core/editor_gestures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/plugin.h"
#include "effect/editor_layout.h"
#include "gui/draw_context.h"
#include "gui/font.h"
#include "gui/input.h"

namespace {

// A burst of wheel steps ends after this pause, and with it the host's gesture.
constexpr auto kWheelPause = std::chrono::milliseconds(400);
// The pointer rests this long before a tooltip shows; a move of more than kRestDistance
// units starts the wait again.
constexpr auto kTooltipDelay = std::chrono::milliseconds(500);
constexpr double kRestDistance = 2.0;
// The two presses of a double click lie this close together.
constexpr double kDoubleClickDistance = 4.0;
// With Shift a wheel step moves a slider by this part of its step.
constexpr double kFineWheel = 0.25;
// The value text field: over the value text right of the slider.
constexpr double kFieldLeft = kValueTextGap - 2;
constexpr double kFieldWidth = 66;
constexpr size_t kLongestTyped = 24;

// Slider positions of the controls take precedence: the value text of a slider lies outside it.
bool Inside(double x, double y, double left, double top, double width, double height)
{
    return left <= x && x <= left + width && top <= y && y <= top + height;
}

int ControlAt(double x, double y)
{
    for (int i = 0; i < kControlCount; ++i) {
        const ControlPlace& c = kControls[i];
        const double height = c.kind == ControlKind::Slider ? c.height : c.width;
        if (Inside(x, y, c.x, c.y, c.width, height)) return i;
    }
    return -1;
}

// The slider whose value text lies at (x, y).
int ValueTextAt(double x, double y)
{
    for (int i = 0; i < kControlCount; ++i) {
        const ControlPlace& c = kControls[i];
        if (c.kind == ControlKind::Slider && Inside(x, y, c.x + c.width + kFieldLeft, c.y, kFieldWidth, c.height))
            return i;
    }
    return -1;
}

int32_t ParameterOf(int control) { return static_cast<int32_t>(RowOfSlider(kControls[control].slider) - kParameterTable); }

gui::Colour Grey(std::uint8_t level, std::uint8_t alpha = 255) { return {level, level, level, alpha}; }

} // namespace

EditorGestures::EditorGestures(Plugin& plugin)
    : plugin_(plugin), font_(std::make_shared<gui::Font>("Arial", 11, gui::Font::kBold)),
      tooltipFont_(std::make_shared<gui::Font>("Arial", 11, 0)), field_(kLongestTyped)
{
}

EditorGestures::~EditorGestures()
{
    EndWheelBurst();
    if (FieldOpen()) CloseField(false);
}

void EditorGestures::SetWindowCalls(std::function<void()> repaint, std::function<void(bool take)> focus)
{
    repaint_ = std::move(repaint);
    focus_ = std::move(focus);
}

void EditorGestures::Repaint()
{
    if (repaint_) repaint_();
}

bool EditorGestures::MouseDown(double x, double y, int buttons, Clock::time_point now)
{
    HideTooltip();
    EndWheelBurst();
    const int held = buttons & (gui::kLeftButton | gui::kMiddleButton | gui::kRightButton | gui::kExtraButton1 |
                                gui::kExtraButton2);
    if (FieldOpen()) {
        const ControlPlace& c = kControls[fieldControl_];
        if (held == gui::kLeftButton &&
            Inside(x, y, c.x + c.width + kFieldLeft, c.y - 1, kFieldWidth, c.height + 2))
            return true;
        // A click elsewhere leaves the field as it was, and does what it does.
        CloseField(false);
    }
    if (held != gui::kLeftButton) return false;

    const int control = ControlAt(x, y);
    if (control >= 0 && !plugin_.ParameterShown(ParameterOf(control))) return false;
    if (control >= 0 && (buttons & gui::kControl)) {
        Reset(control);
        pressControl_ = -1;
        return true;
    }
    const bool second = control >= 0 && control == pressControl_ &&
                        now - pressTime_ <= std::chrono::milliseconds(gui::DoubleClickMilliseconds()) &&
                        std::hypot(x - pressX_, y - pressY_) <= kDoubleClickDistance;
    if (second) {
        Reset(control);
        pressControl_ = -1;
        return true;
    }
    pressControl_ = control;
    pressX_ = x;
    pressY_ = y;
    pressTime_ = now;
    if (control >= 0) return false;

    const int valueText = ValueTextAt(x, y);
    if (valueText >= 0 && plugin_.ParameterShown(ParameterOf(valueText))) {
        OpenField(valueText);
        return true;
    }
    return false;
}

void EditorGestures::MouseMove(double x, double y, Clock::time_point now)
{
    if (std::hypot(x - hoverX_, y - hoverY_) <= kRestDistance) return;
    hoverX_ = x;
    hoverY_ = y;
    hoverSince_ = now;
    const int control = ControlAt(x, y);
    if (control != wheelControl_) EndWheelBurst();
    hoverControl_ = control;
    HideTooltip();
}

bool EditorGestures::Wheel(double x, double y, double distance, int buttons, Clock::time_point now)
{
    HideTooltip();
    const int control = ControlAt(x, y);
    if (control < 0 || kControls[control].kind != ControlKind::Slider || !std::isfinite(distance)) return false;
    const int32_t index = ParameterOf(control);
    if (!plugin_.ParameterShown(index)) return false;
    if (control != wheelControl_) {
        EndWheelBurst();
        wheelControl_ = control;
        wheelSteps_ = 0.0;
        plugin_.BeginGesture(index);
    }
    lastWheel_ = now;
    wheelSteps_ += (buttons & gui::kShift) ? distance * kFineWheel : distance;
    const double whole = std::trunc(wheelSteps_ + (wheelSteps_ > 0 ? 1e-9 : -1e-9));
    if (whole == 0.0) return true;
    wheelSteps_ -= whole;
    const ParameterInfo& p = *plugin_.Parameter(index);
    const double current = std::clamp(plugin_.GetValue(index), p.minimum, p.maximum);
    const double value = std::clamp(plugin_.Quantize(index, current + whole * p.step), p.minimum, p.maximum);
    if (value != plugin_.GetValue(index)) plugin_.EditInGesture(index, value);
    return true;
}

void EditorGestures::EndWheelBurst()
{
    if (wheelControl_ < 0) return;
    plugin_.EndGesture(ParameterOf(wheelControl_));
    wheelControl_ = -1;
    wheelSteps_ = 0.0;
}

void EditorGestures::Reset(int control)
{
    const int32_t index = ParameterOf(control);
    plugin_.EditValue(index, plugin_.Parameter(index)->defaultValue);
}

void EditorGestures::OpenField(int control)
{
    const int32_t index = ParameterOf(control);
    const ParameterInfo& p = *plugin_.Parameter(index);
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::clamp(plugin_.GetValue(index), p.minimum, p.maximum));
    fieldControl_ = control;
    field_.Start(std::string(text) + p.unit);
    if (focus_) focus_(true);
    Repaint();
}

// `take`: the typed text becomes the value when it is one; otherwise the value stays.
void EditorGestures::CloseField(bool take)
{
    const int32_t index = ParameterOf(fieldControl_);
    const std::string typed = field_.Text();
    fieldControl_ = -1;
    if (focus_) focus_(false);
    Repaint();
    double value = 0.0;
    if (!take || !plugin_.ParseValue(index, typed, value)) return;
    const ParameterInfo& p = *plugin_.Parameter(index);
    plugin_.EditValue(index, std::clamp(plugin_.Quantize(index, value), p.minimum, p.maximum));
}

bool EditorGestures::KeyDown(const gui::Key& key)
{
    if (!FieldOpen()) return false;
    switch (field_.Key(key)) {
    case TextLine::Outcome::kEnter:
        CloseField(true);
        break;
    case TextLine::Outcome::kEscape:
        CloseField(false);
        break;
    case TextLine::Outcome::kEditing:
        Repaint();
        break;
    }
    // While the field is open every key is the field's, not the host's shortcut.
    return true;
}

void EditorGestures::Idle(Clock::time_point now)
{
    if (wheelControl_ >= 0 && now - lastWheel_ >= kWheelPause) EndWheelBurst();
    if (!tooltip_.empty() || hoverControl_ < 0 || FieldOpen() || now - hoverSince_ < kTooltipDelay) return;
    const ControlPlace& c = kControls[hoverControl_];
    const int32_t index = ParameterOf(hoverControl_);
    const ParameterInfo& p = *plugin_.Parameter(index);
    // Only captions that abbreviate the name ("LO", "ON") get the full one.
    if (p.name == c.caption || !plugin_.ParameterShown(index)) return;
    tooltip_ = p.name + ": " + plugin_.ParameterDisplay(index) + (p.unit.empty() ? "" : " " + p.unit);
    Repaint();
}

void EditorGestures::HideTooltip()
{
    if (tooltip_.empty()) return;
    tooltip_.clear();
    Repaint();
}

void EditorGestures::Draw(gui::DrawContext& context)
{
    if (FieldOpen()) {
        const ControlPlace& c = kControls[fieldControl_];
        const double left = c.x + c.width + kFieldLeft;
        field_.Draw(context, font_, left, c.y - 1, left + kFieldWidth, c.y + c.height + 1);
    }
    if (!tooltip_.empty()) {
        context.SetFont(tooltipFont_);
        const double width = std::max(0.0, context.MeasureText(tooltip_)) + 10;
        const double height = 18;
        const double left = std::clamp(hoverX_ + 12, 0.0, kEditorWidth - width);
        const double top = std::clamp(hoverY_ + 16, 0.0, kEditorHeight - height);
        context.SetAntialias(false);
        context.SetFillColour(Grey(16, 235));
        context.SetFrameColour(Grey(150));
        context.DrawRectangle(left, top, left + width, top + height, gui::DrawContext::kFilledAndOutline);
        context.SetFontColour(Grey(245));
        context.DrawTextInRect(tooltip_, left + 5, top, left + width, top + height, gui::DrawContext::kAlignLeft);
    }
}
