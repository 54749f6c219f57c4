// On Windows the host's message loop runs the editor's window; a timer of that window
// brings the idle calls, as VST 3 hosts send none.

#include <windows.h>

#include "core/plugin.h"
#include "vst3/editor_view.h"

namespace vst3_plugin {

namespace {

constexpr UINT kIdleMilliseconds = Plugin::kEditorIdleMilliseconds;

// The timer's id is the view itself.
void CALLBACK IdleTimer(HWND, UINT, UINT_PTR id, DWORD) { reinterpret_cast<EditorView*>(id)->onTimer(); }

} // namespace

bool EditorView::StartIdling()
{
    auto* window = reinterpret_cast<HWND>(editor_->WindowId());
    const auto id = reinterpret_cast<UINT_PTR>(this);
    if (!window || SetTimer(window, id, kIdleMilliseconds, IdleTimer) == 0) return false;
    timer_ = id;
    return true;
}

void EditorView::StopIdling()
{
    if (!timer_) return;
    KillTimer(reinterpret_cast<HWND>(editor_->WindowId()), timer_);
    timer_ = 0;
}

} // namespace vst3_plugin
