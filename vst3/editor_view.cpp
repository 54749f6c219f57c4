#include "vst3/editor_view.h"

#include <cstring>

#include "effect/effect.h"
#include "vst3/effect_object.h"

namespace vst3_plugin {

using namespace vst3;

namespace {

#if defined(_WIN32)
constexpr const char* kNativeWindowType = kPlatformTypeHWND;
#else
constexpr const char* kNativeWindowType = kPlatformTypeX11EmbedWindowID;
#endif

} // namespace

EditorView::EditorView(EffectObject& effect) : effect_(effect) { effect_.addRef(); }

EditorView::~EditorView()
{
    removed();
    effect_.release();
}

tresult EditorView::queryInterface(const char* iid, void** object)
{
    if (!object) return kInvalidArgument;
    *object = nullptr;
    if (!iid) return kNoInterface;
    if (FUnknown::iid == iid || IPlugView::iid == iid)
        *object = static_cast<IPlugView*>(this);
    else if (IPlugViewContentScaleSupport::iid == iid)
        *object = static_cast<IPlugViewContentScaleSupport*>(this);
    else if (ITimerHandler::iid == iid)
        *object = static_cast<ITimerHandler*>(this);
    else if (IEventHandler::iid == iid)
        *object = static_cast<IEventHandler*>(this);
    else
        return kNoInterface;
    addRef();
    return kResultOk;
}

uint32_t EditorView::addRef() { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t EditorView::release()
{
    const uint32_t left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

tresult EditorView::isPlatformTypeSupported(FIDString type)
{
    return type && std::strcmp(type, kNativeWindowType) == 0 ? kResultTrue : kResultFalse;
}

tresult EditorView::attached(void* parent, FIDString type)
{
    if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
    if (editor_) return kResultFalse; // attached twice without removed
    try {
        editor_ = std::make_unique<EditorWindow>(effect_.Core().Effect(), reinterpret_cast<std::uintptr_t>(parent));
    } catch (...) {
        editor_.reset();
        return kResultFalse;
    }
    if (!editor_->HasWindow() || !StartIdling()) {
        editor_.reset();
        return kResultFalse;
    }
    effect_.ViewOpened(this);
    return kResultOk;
}

tresult EditorView::removed()
{
    if (!editor_) return kResultOk;
    StopIdling();
    effect_.ViewClosed(this);
    editor_.reset();
    return kResultOk;
}

tresult EditorView::getSize(ViewRect* size)
{
    if (!size) return kInvalidArgument;
    *size = ViewRect{0, 0, EditorWindow::kWidth, EditorWindow::kHeight};
    return kResultOk;
}

tresult EditorView::onSize(ViewRect* newSize)
{
    if (!newSize) return kInvalidArgument;
    const bool ours = newSize->right - newSize->left == EditorWindow::kWidth &&
                      newSize->bottom - newSize->top == EditorWindow::kHeight;
    return ours ? kResultOk : kResultFalse;
}

tresult EditorView::setFrame(IPlugFrame* frame)
{
    frame_ = frame;
    return kResultOk;
}

tresult EditorView::checkSizeConstraint(ViewRect* rect)
{
    if (!rect) return kInvalidArgument;
    rect->right = rect->left + EditorWindow::kWidth;
    rect->bottom = rect->top + EditorWindow::kHeight;
    return kResultOk;
}

void EditorView::onTimer()
{
    if (editor_) editor_->Idle();
    effect_.TellPendingLatency();
}

void EditorView::onFDIsSet(int)
{
    if (editor_) editor_->Idle();
}

} // namespace vst3_plugin
