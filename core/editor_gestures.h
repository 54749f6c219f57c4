#pragma once
// The gestures every plug-in user knows, on top of the drawing section's own drags and
// clicks: a double click or a Control click resets a control to its default, the mouse wheel
// steps a slider, a click on a slider's value text opens a field to type a value into, and
// resting the pointer on a control whose caption is abbreviated shows its full name and
// value. Each edit reaches the host as one gesture (Plugin::EditValue and its parts). The
// field and the tooltip are drawn over the editor after the drawing section, and nothing is
// drawn or taken while none of these gestures is in use.
// Thread: the editor's.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/text_line.h"

class Plugin;
namespace gui {
class DrawContext;
class Font;
struct Key;
} // namespace gui

class EditorGestures {
public:
    using Clock = std::chrono::steady_clock;

    explicit EditorGestures(Plugin& plugin);
    ~EditorGestures();
    EditorGestures(const EditorGestures&) = delete;
    EditorGestures& operator=(const EditorGestures&) = delete;

    // What the window needs to do for the gestures: repaint, and take the keyboard focus
    // while the field is open (true) or give it back (false).
    void SetWindowCalls(std::function<void()> repaint, std::function<void(bool take)> focus);

    // Each answers true when a gesture took the event, which then goes no further. Positions
    // in editor units; `buttons` the toolkit's bits.
    bool MouseDown(double x, double y, int buttons, Clock::time_point now = Clock::now());
    void MouseMove(double x, double y, Clock::time_point now = Clock::now());
    bool Wheel(double x, double y, double distance, int buttons, Clock::time_point now = Clock::now());
    bool KeyDown(const gui::Key& key);
    // The end of a burst of wheel steps, and the tooltip's delay.
    void Idle(Clock::time_point now = Clock::now());
    // Over what the drawing section painted.
    void Draw(gui::DrawContext& context);

    bool FieldOpen() const { return fieldControl_ >= 0; }
    const std::string& FieldText() const { return field_.Text(); }
    bool TooltipShown() const { return !tooltip_.empty(); }
    const std::string& Tooltip() const { return tooltip_; }

private:

    void Reset(int control);
    void OpenField(int control);
    void CloseField(bool take);
    void EndWheelBurst();
    void HideTooltip();
    void Repaint();

    Plugin& plugin_;
    std::function<void()> repaint_;
    std::function<void(bool)> focus_;
    std::shared_ptr<const gui::Font> font_;
    std::shared_ptr<const gui::Font> tooltipFont_;

    // The last left press that could begin a double click.
    int pressControl_ = -1;
    double pressX_ = 0.0, pressY_ = 0.0;
    Clock::time_point pressTime_{};

    // A burst of wheel steps on one slider is one gesture, ended by a pause.
    int wheelControl_ = -1;
    double wheelSteps_ = 0.0; // fine steps not yet applied
    Clock::time_point lastWheel_{};

    // The value text field: the slider it is over (-1: closed) and what is typed.
    int fieldControl_ = -1;
    TextLine field_;

    // The pointer at rest over a control, and since when.
    int hoverControl_ = -1;
    double hoverX_ = 0.0, hoverY_ = 0.0;
    Clock::time_point hoverSince_{};
    std::string tooltip_;
};
