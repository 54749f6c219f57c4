// On Linux a VST 3 editor runs on the host's run loop, which the host offers through the
// view's frame: a timer for the redraw clock, and the X connection's descriptor for events.

#include "core/plugin.h"
#include "vst3/editor_view.h"

namespace vst3_plugin {

namespace {
constexpr uint64_t kIdleMilliseconds = Plugin::kEditorIdleMilliseconds;
} // namespace

bool EditorView::StartIdling()
{
    void* loop = nullptr;
    if (!frame_ || frame_->queryInterface(vst3::IRunLoop::iid.bytes, &loop) != vst3::kResultOk || !loop) return false;
    runLoop_ = static_cast<vst3::IRunLoop*>(loop);
    if (runLoop_->registerTimer(this, kIdleMilliseconds) != vst3::kResultOk) {
        StopIdling();
        return false;
    }
    if (const int fd = editor_->ConnectionFd(); fd >= 0) runLoop_->registerEventHandler(this, fd);
    return true;
}

void EditorView::StopIdling()
{
    if (!runLoop_) return;
    runLoop_->unregisterEventHandler(this);
    runLoop_->unregisterTimer(this);
    runLoop_->release();
    runLoop_ = nullptr;
}

} // namespace vst3_plugin
