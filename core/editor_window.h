#pragma once
// The editor as every format opens it: a toolkit frame in the host's window (an X11 window
// id or an HWND) with one view that paints by running the plug-in's drawing section and
// hands mouse events to it (through an EditorInput of the format's, where it has one). The
// editor's own edits reach the host through the plug-in's HostInterface (BeginEdit,
// PerformEdit, EndEdit), which the drawing section calls. The window has the editor's scale
// (core/editor_frame.h); the drawing section keeps working in kWidth by kHeight editor
// units. Thread: the host's GUI thread, the one that made the window.

#include <cstdint>
#include <functional>
#include <memory>

#include "core/editor_frame.h"

class EditorGestures;
class EditorInput;
class Plugin;
class PresetStrip;
namespace gui {
class Frame;
}

class EditorWindow {
public:
    // The editor's size in its own units.
    static constexpr int kWidth = EditorFrame::kWidth;
    static constexpr int kHeight = EditorFrame::kHeight;

    // Opens the window in `parent` at the scale chosen with the host's (0: the host gave
    // none). Paints and mouse events go to `input` where one is given (it outlives the
    // window), else to the plug-in. With no usable parent (or no display) the window has no
    // frame window: HasWindow() is false and every call is harmless.
    EditorWindow(Plugin& plugin, std::uintptr_t parent, double hostScale = 0, EditorInput* input = nullptr);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // The redraw timer and the gestures' timers, then the window's pending events and paints,
    // and a scale the user chose meanwhile. Call it often (30 times a second or more): from the host's idle, a
    // timer or the host's run loop.
    void Idle();
    // The host's scale (0: none); a new one resizes the window and asks for the new size.
    void SetHostScale(double scale);
    // Where the window's new size in pixels goes when the scale changes while it is open:
    // the format asks its host to resize.
    void SetResizeRequest(std::function<void(int width, int height)> request);
    double Scale() const;
    // Asks for a repaint on the next Idle(). Any thread.
    bool Redraw();
    bool HasWindow() const;
    // The child window (X11 Window or HWND); 0 without one.
    std::uintptr_t WindowId() const;
    // The X connection's file descriptor on Linux, for hosts that watch it on their own
    // run loop; -1 where there is none.
    int ConnectionFd() const;
    // The window's size in pixels, at the scale.
    int Width() const;
    int Height() const;
    gui::Frame* Frame() const;

    // The gestures over the drawing section's own (core/editor_gestures.h), and the presets in
    // the title strip (core/preset_strip.h).
    EditorGestures& Gestures() const { return *gestures_; }
    PresetStrip& Presets() const { return *presets_; }

private:
    std::unique_ptr<EditorInput> ownInput_;
    EditorInput* input_;
    std::unique_ptr<EditorGestures> gestures_;
    std::unique_ptr<PresetStrip> presets_;
    std::unique_ptr<EditorFrame> frame_;
};
