#pragma once
// What happens in the editor's window, on its way to the plug-in. The editor's view passes
// paints and mouse events to an EditorInput: by default straight to the plug-in's editor
// entries; the VST 2.4 adapter passes them through the entries of its own table first.
// Thread: the editor's.

class Plugin;
class TVexl;
namespace gui {
class DrawContext;
struct Key;
} // namespace gui

class EditorInput {
public:
    virtual ~EditorInput() = default;
    // The drawing section, while the paint's draw context is published (PaintScope).
    virtual void Draw() = 0;
    virtual void MouseDown(double x, double y, int toolkitButtons) = 0;
    virtual void MouseUp(double x, double y, int toolkitButtons) = 0;
    virtual void MouseMove(double x, double y, int toolkitButtons) = 0;
    // The redraw timer.
    virtual void Idle() = 0;
    // Keys the editor takes; false leaves them to the host for its own shortcuts.
    virtual bool KeyDown(const gui::Key&) { return false; }
    virtual bool KeyUp(const gui::Key&) { return false; }
};

// The paint's draw context published in the plug-in's host interface for the scope's life:
// the drawing services draw into it, and into nothing outside a paint. Active() is false
// when the plug-in has no host, and then nothing may be drawn.
class PaintScope {
public:
    PaintScope(Plugin& plugin, gui::DrawContext& context);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    bool Active() const { return active_; }

private:
    Plugin& plugin_;
    bool active_;
};

// The toolkit's button state at a press, translated bit by bit into the runtime's mask
// (left 1, right 2, control 4, shift 8, alt 16, middle 64).
int ToolkitButtonsToMask(int toolkitButtons);

// Any mouse event makes the redraw timer run at 30 frames a second at least, so a drag is
// followed at once.
void RaiseRedrawRate(TVexl& effect);
