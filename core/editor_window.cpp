#include "core/editor_window.h"

#include "core/editor_gestures.h"
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

// The editor's one view: a paint publishes its context, runs the drawing section and draws
// the gestures' field and tooltip over it; the mouse and keys go to the gestures first and,
// when none takes them, to the input.
class EditorView : public gui::View {
public:
    EditorView(Plugin& plugin, EditorInput& input, EditorGestures& gestures)
        : plugin_(plugin), input_(input), gestures_(gestures)
    {
    }

    void Draw(gui::DrawContext& context) override
    {
        PaintScope scope(plugin_, context);
        if (!scope.Active()) return;
        input_.Draw();
        gestures_.Draw(context);
    }
    bool OnMouseDown(double x, double y, int buttons) override
    {
        if (!gestures_.MouseDown(x, y, buttons)) input_.MouseDown(x, y, buttons);
        return true;
    }
    bool OnMouseUp(double x, double y, int buttons) override
    {
        input_.MouseUp(x, y, buttons);
        return true;
    }
    bool OnMouseMove(double x, double y, int buttons) override
    {
        gestures_.MouseMove(x, y);
        input_.MouseMove(x, y, buttons);
        return true;
    }
    bool OnWheel(double x, double y, double distance, int buttons) override
    {
        return gestures_.Wheel(x, y, distance, buttons);
    }
    bool OnKeyDown(const gui::Key& key) override { return gestures_.KeyDown(key) || input_.KeyDown(key); }
    bool OnKeyUp(const gui::Key& key) override { return gestures_.FieldOpen() || input_.KeyUp(key); }

private:
    Plugin& plugin_;
    EditorInput& input_;
    EditorGestures& gestures_;
};

} // namespace

EditorWindow::EditorWindow(Plugin& plugin, std::uintptr_t parent, double hostScale, EditorInput* input)
    : ownInput_(input ? nullptr : std::make_unique<PluginInput>(plugin)), input_(input ? input : ownInput_.get()),
      gestures_(std::make_unique<EditorGestures>(plugin)),
      frame_(std::make_unique<EditorFrame>(parent, std::make_unique<EditorView>(plugin, *input_, *gestures_),
                                           hostScale))
{
    gui::Frame& frame = frame_->Frame();
    gestures_->SetWindowCalls([&frame] { frame.Invalidate(); },
                              [&frame](bool take) { take ? frame.TakeKeyboardFocus() : frame.ReturnKeyboardFocus(); });
}

// The frame goes first: its view refers to the gestures.
EditorWindow::~EditorWindow()
{
    gestures_->SetWindowCalls({}, {});
    frame_.reset();
}

void EditorWindow::Idle()
{
    input_->Idle();
    gestures_->Idle();
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
