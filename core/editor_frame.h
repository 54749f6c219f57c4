#pragma once
// The editor's frame at its scale, the same in every format: opened at the scale chosen from
// the user's kept choice, the host's scale and the desktop's (in that order), with the zoom
// menu on a right click in the title strip, and a new choice applied while it is open (the
// window takes the new size and the format asks its host for it). The view keeps working in
// editor units. Thread: the host's GUI thread, the one that made the frame.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "effect/editor_layout.h"

namespace gui {
class Frame;
class View;
} // namespace gui

class EditorFrame {
public:
    static constexpr int kWidth = kEditorWidth;
    static constexpr int kHeight = kEditorHeight;
    // The band along the top where the zoom menu opens; no control lives there.
    static constexpr double kTitleStripHeight = 30;

    // The window's new size in pixels, for the format to pass to its host.
    using ResizeHandler = std::function<void(int width, int height)>;

    // The scale for a frame (null: before there is one) given the host's (0: none given).
    static double ChooseScale(double hostScale, const gui::Frame* frame);
    // The size in pixels an editor opened now would have, for hosts that ask before opening.
    static void OpeningSize(double hostScale, int& width, int& height);

    // Opens `view` in `parent` (an X11 window id or an HWND; 0: no window) at the chosen scale.
    EditorFrame(std::uintptr_t parent, std::unique_ptr<gui::View> view, double hostScale);
    ~EditorFrame();
    EditorFrame(const EditorFrame&) = delete;
    EditorFrame& operator=(const EditorFrame&) = delete;

    void SetResizeRequest(ResizeHandler request) { resizeRequest_ = std::move(request); }
    // A new scale from the host (0: none); applied at once.
    void SetHostScale(double scale);
    // The frame's events and paints, then a choice from the zoom menu, and about once a
    // second a fresh look at the user's kept choice (another instance may have changed it)
    // and the desktop's scale.
    void Idle();
    // Chooses again and, when the scale differs, resizes the window and asks the host.
    void Rechoose();

    double Scale() const;
    // The window's size in pixels.
    int PixelWidth() const;
    int PixelHeight() const;
    gui::Frame& Frame() const { return *frame_; }

private:
    class ZoomView;

    double hostScale_;
    bool rechoose_ = false; // the menu stored a choice, or the desktop's scale changed
    std::chrono::steady_clock::time_point nextLook_;
    ResizeHandler resizeRequest_;
    std::unique_ptr<gui::Frame> frame_;
};
