#include "vst3/editor_view.h"

#include <cmath>
#include <cstring>

#include "core/editor_frame.h"
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
        editor_ = std::make_unique<EditorWindow>(effect_.Core(), reinterpret_cast<std::uintptr_t>(parent),
                                                 hostScale_);
        editor_->SetResizeRequest([this](int width, int height) {
            ViewRect rect{0, 0, width, height};
            if (frame_) frame_->resizeView(this, &rect);
        });
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

// The size in pixels: the open window's, or the one it will open at.
static void PixelSize(const EditorWindow* editor, double hostScale, int& width, int& height)
{
    if (editor) {
        width = editor->Width();
        height = editor->Height();
    } else {
        EditorFrame::OpeningSize(hostScale, width, height);
    }
}

tresult EditorView::getSize(ViewRect* size)
{
    if (!size) return kInvalidArgument;
    int width = 0, height = 0;
    PixelSize(editor_.get(), hostScale_, width, height);
    *size = ViewRect{0, 0, width, height};
    return kResultOk;
}

tresult EditorView::onSize(ViewRect* newSize)
{
    if (!newSize) return kInvalidArgument;
    int width = 0, height = 0;
    PixelSize(editor_.get(), hostScale_, width, height);
    const bool ours = newSize->right - newSize->left == width && newSize->bottom - newSize->top == height;
    return ours ? kResultOk : kResultFalse;
}

tresult EditorView::setContentScaleFactor(float factor)
{
    if (!std::isfinite(factor) || factor <= 0.0f) return kResultFalse;
    hostScale_ = static_cast<double>(factor);
    if (editor_) editor_->SetHostScale(hostScale_);
    return kResultTrue;
}

tresult EditorView::setFrame(IPlugFrame* frame)
{
    frame_ = frame;
    return kResultOk;
}

tresult EditorView::checkSizeConstraint(ViewRect* rect)
{
    if (!rect) return kInvalidArgument;
    int width = 0, height = 0;
    PixelSize(editor_.get(), hostScale_, width, height);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
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
