#include "core/editor_window.h"

#include "core/editor_input.h"
#include "core/plugin.h"
#include "gui/frame.h"
#include "gui/view.h"

namespace {

// The input of formats with no table of their own: the plug-in's editor entries.
class PluginInput : public EditorInput {
public:
    explicit PluginInput(Plugin& plugin) : plugin_(plugin) {}
    void Draw() override { plugin_.DrawSection(); }
    void MouseDown(double x, double y, int buttons) override { plugin_.MouseDown(x, y, buttons); }
    void MouseUp(double x, double y, int) override { plugin_.MouseUp(x, y); }
    void MouseMove(double x, double y, int) override { plugin_.MouseMove(x, y); }
    void Idle() override { plugin_.IdleSection(); }

private:
    Plugin& plugin_;
};

// The editor's one view: a paint publishes its context and runs the drawing section, the
// mouse goes to the input.
class EditorView : public gui::View {
public:
    EditorView(Plugin& plugin, EditorInput& input) : plugin_(plugin), input_(input) {}

    void Draw(gui::DrawContext& context) override
    {
        PaintScope scope(plugin_, context);
        if (scope.Active()) input_.Draw();
    }
    bool OnMouseDown(double x, double y, int buttons) override
    {
        input_.MouseDown(x, y, buttons);
        return true;
    }
    bool OnMouseUp(double x, double y, int buttons) override
    {
        input_.MouseUp(x, y, buttons);
        return true;
    }
    bool OnMouseMove(double x, double y, int buttons) override
    {
        input_.MouseMove(x, y, buttons);
        return true;
    }
    bool OnKeyDown(const gui::Key& key) override { return input_.KeyDown(key); }
    bool OnKeyUp(const gui::Key& key) override { return input_.KeyUp(key); }

private:
    Plugin& plugin_;
    EditorInput& input_;
};

} // namespace

EditorWindow::EditorWindow(Plugin& plugin, std::uintptr_t parent, double hostScale, EditorInput* input)
    : ownInput_(input ? nullptr : std::make_unique<PluginInput>(plugin)), input_(input ? input : ownInput_.get()),
      frame_(std::make_unique<EditorFrame>(parent, std::make_unique<EditorView>(plugin, *input_), hostScale))
{
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::Idle()
{
    input_->Idle();
    frame_->Idle();
}

void EditorWindow::SetHostScale(double scale) { frame_->SetHostScale(scale); }

void EditorWindow::SetResizeRequest(std::function<void(int width, int height)> request)
{
    frame_->SetResizeRequest(std::move(request));
}

double EditorWindow::Scale() const { return frame_->Scale(); }

bool EditorWindow::Redraw()
{
    frame_->Frame().Invalidate();
    return true;
}

bool EditorWindow::HasWindow() const { return frame_->Frame().HasWindow(); }

std::uintptr_t EditorWindow::WindowId() const { return frame_->Frame().WindowId(); }

int EditorWindow::ConnectionFd() const { return frame_->Frame().ConnectionFd(); }

int EditorWindow::Width() const { return frame_->PixelWidth(); }

int EditorWindow::Height() const { return frame_->PixelHeight(); }

gui::Frame* EditorWindow::Frame() const { return &frame_->Frame(); }
