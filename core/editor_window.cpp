#include "core/editor_window.h"

#include "core/editor_input.h"
#include "gui/frame.h"
#include "gui/view.h"
#include "runtime/vexl.h"

namespace {

// The editor's one view: the drawing section paints it, the mouse goes to the runtime.
class EditorView : public gui::View {
public:
    explicit EditorView(TVexl& effect) : effect_(effect) {}

    void Draw(gui::DrawContext& context) override { PaintEditor(effect_, context); }
    bool OnMouseDown(double x, double y, int buttons) override
    {
        PressMouse(effect_, x, y, buttons);
        return true;
    }
    bool OnMouseUp(double x, double y, int) override
    {
        ReleaseMouse(effect_, x, y);
        return true;
    }
    bool OnMouseMove(double x, double y, int) override
    {
        MoveMouse(effect_, x, y);
        return true;
    }
    // The editor takes no keys: the host keeps them for its own shortcuts.
    bool OnKeyDown(const gui::Key&) override { return false; }
    bool OnKeyUp(const gui::Key&) override { return false; }

private:
    TVexl& effect_;
};

} // namespace

EditorWindow::EditorWindow(TVexl& effect, std::uintptr_t parent)
    : effect_(effect), frame_(std::make_unique<gui::Frame>(parent, kWidth, kHeight, std::make_unique<EditorView>(effect)))
{
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::Idle()
{
    effect_.DoIdle();
    frame_->Idle();
}

bool EditorWindow::Redraw()
{
    frame_->Invalidate();
    return true;
}

bool EditorWindow::HasWindow() const { return frame_->HasWindow(); }

std::uintptr_t EditorWindow::WindowId() const { return frame_->WindowId(); }

int EditorWindow::ConnectionFd() const { return frame_->ConnectionFd(); }
