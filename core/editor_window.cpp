#include "core/editor_window.h"

#include "core/editor_gestures.h"
#include "core/editor_input.h"
#include "core/plugin.h"
#include "core/preset_strip.h"
#include "gui/frame.h"
#include "gui/popup_menu.h"
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
// the preset strip and the gestures' field and tooltip over it; the mouse and keys go to the
// strip and the gestures first and, when neither takes them, to the input.
class EditorView : public gui::View {
public:
    EditorView(Plugin& plugin, EditorInput& input, EditorGestures& gestures, PresetStrip& presets)
        : plugin_(plugin), input_(input), gestures_(gestures), presets_(presets)
    {
    }

    void Draw(gui::DrawContext& context) override
    {
        PaintScope scope(plugin_, context);
        if (!scope.Active()) return;
        input_.Draw();
        presets_.Draw(context);
        gestures_.Draw(context);
    }
    bool OnMouseDown(double x, double y, int buttons) override
    {
        if (!presets_.MouseDown(x, y, buttons) && !gestures_.MouseDown(x, y, buttons))
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
        gestures_.MouseMove(x, y);
        input_.MouseMove(x, y, buttons);
        return true;
    }
    bool OnWheel(double x, double y, double distance, int buttons) override
    {
        return gestures_.Wheel(x, y, distance, buttons);
    }
    bool OnKeyDown(const gui::Key& key) override
    {
        return presets_.KeyDown(key) || gestures_.KeyDown(key) || input_.KeyDown(key);
    }
    bool OnKeyUp(const gui::Key& key) override
    {
        return presets_.Naming() || gestures_.FieldOpen() || input_.KeyUp(key);
    }

private:
    Plugin& plugin_;
    EditorInput& input_;
    EditorGestures& gestures_;
    PresetStrip& presets_;
};

} // namespace

EditorWindow::EditorWindow(Plugin& plugin, std::uintptr_t parent, double hostScale, EditorInput* input)
    : ownInput_(input ? nullptr : std::make_unique<PluginInput>(plugin)), input_(input ? input : ownInput_.get()),
      gestures_(std::make_unique<EditorGestures>(plugin)),
      presets_(std::make_unique<PresetStrip>(plugin, plugin.EditorPresets())),
      frame_(std::make_unique<EditorFrame>(
          parent, std::make_unique<EditorView>(plugin, *input_, *gestures_, *presets_), hostScale))
{
    gui::Frame& frame = frame_->Frame();
    auto repaint = [&frame] { frame.Invalidate(); };
    auto focus = [&frame](bool take) { take ? frame.TakeKeyboardFocus() : frame.ReturnKeyboardFocus(); };
    gestures_->SetWindowCalls(repaint, focus);
    presets_->SetWindowCalls(
        [&frame](double x, double y, const std::vector<gui::MenuItem>& items) {
            return gui::ShowPopupMenu(frame, x, y, items);
        },
        repaint, focus);
}

// The frame goes first: its view refers to the gestures.
EditorWindow::~EditorWindow()
{
    gestures_->SetWindowCalls({}, {});
    presets_->SetWindowCalls({}, {}, {});
    frame_.reset();
}

void EditorWindow::Idle()
{
    input_->Idle();
    gestures_->Idle();
    presets_->Idle();
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
