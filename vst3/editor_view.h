#pragma once
// The effect's editor as a VST 3 view: the core's EditorWindow in the host's window (an X11
// window id on Linux, an HWND on Windows), a fixed 890 by 550 that does not scale. What
// keeps it running is the platform's: the host's run loop on Linux, a window timer on
// Windows (editor_idle_*.cpp). Thread: the host's GUI thread.

#include <atomic>
#include <memory>

#include "core/editor_window.h"
#include "vst3/vst3_abi.h"

namespace vst3_plugin {

class EffectObject;

class EditorView final : public vst3::IPlugView,
                         public vst3::IPlugViewContentScaleSupport,
                         public vst3::ITimerHandler,
                         public vst3::IEventHandler {
public:
    // Keeps the effect object alive as long as the view lives.
    explicit EditorView(EffectObject& effect);
    ~EditorView();

    vst3::tresult queryInterface(const char* iid, void** object) override;
    uint32_t addRef() override;
    uint32_t release() override;

    vst3::tresult isPlatformTypeSupported(vst3::FIDString type) override;
    vst3::tresult attached(void* parent, vst3::FIDString type) override;
    vst3::tresult removed() override;
    vst3::tresult onWheel(float) override { return vst3::kResultFalse; }
    vst3::tresult onKeyDown(char16_t, int16_t, int16_t) override { return vst3::kResultFalse; }
    vst3::tresult onKeyUp(char16_t, int16_t, int16_t) override { return vst3::kResultFalse; }
    vst3::tresult getSize(vst3::ViewRect* size) override;
    vst3::tresult onSize(vst3::ViewRect* newSize) override;
    vst3::tresult onFocus(vst3::TBool) override { return vst3::kResultOk; }
    vst3::tresult setFrame(vst3::IPlugFrame* frame) override;
    vst3::tresult canResize() override { return vst3::kResultFalse; }
    vst3::tresult checkSizeConstraint(vst3::ViewRect* rect) override;

    // The editor draws at its one size; the host scales nothing of it either.
    vst3::tresult setContentScaleFactor(float) override { return vst3::kResultFalse; }

    // The host's run loop calls these; the Windows timer calls onTimer too.
    void onTimer() override;
    void onFDIsSet(int fd) override;

    bool IsOpen() const { return editor_ != nullptr; }
    bool Redraw() { return editor_ && editor_->Redraw(); }

private:
    // The platform part: start and stop what calls onTimer (and onFDIsSet) while open.
    bool StartIdling();
    void StopIdling();

    std::atomic<uint32_t> references_{1};
    EffectObject& effect_;
    vst3::IPlugFrame* frame_ = nullptr;
    std::unique_ptr<EditorWindow> editor_;
    // Linux: the run loop the frame offered, held while registered. Windows: the timer's id.
    vst3::IRunLoop* runLoop_ = nullptr;
    uintptr_t timer_ = 0;
};

} // namespace vst3_plugin
