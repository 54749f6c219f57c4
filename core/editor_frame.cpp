#include "core/editor_frame.h"

#include <cstdio>
#include <string>
#include <vector>

#include "effect/editor_layout.h"
#include "gui/desktop_scale.h"
#include "gui/frame.h"
#include "gui/input.h"
#include "gui/popup_menu.h"
#include "gui/scale.h"
#include "gui/scale_choice.h"
#include "gui/view.h"


namespace {

constexpr bool ControlsBelowTitleStrip()
{
    for (const ControlPlace& control : kControls)
        if (control.y < EditorFrame::kTitleStripHeight) return false;
    return true;
}
static_assert(ControlsBelowTitleStrip(), "the zoom menu's strip must stay free of controls");

constexpr auto kLookInterval = std::chrono::seconds(1);

std::string Percent(double scale)
{
    char text[16];
    std::snprintf(text, sizeof text, "%g%%", scale * 100);
    return text;
}

} // namespace

// The editor's view with the zoom menu in front: a right press in the title strip opens the
// menu and never reaches the editor; everything else passes through.
class EditorFrame::ZoomView : public gui::View {
public:
    ZoomView(EditorFrame& owner, std::unique_ptr<gui::View> inner) : owner_(owner), inner_(std::move(inner)) {}

    void Draw(gui::DrawContext& context) override { inner_->Draw(context); }
    bool OnMouseDown(double x, double y, int buttons) override
    {
        const int held = buttons & (gui::kLeftButton | gui::kMiddleButton | gui::kRightButton | gui::kExtraButton1 |
                                    gui::kExtraButton2);
        if (held == gui::kRightButton && y >= 0 && y < kTitleStripHeight && x >= 0 && x < kWidth) {
            ShowMenu(x, y);
            return true;
        }
        return inner_->OnMouseDown(x, y, buttons);
    }
    bool OnMouseUp(double x, double y, int buttons) override { return inner_->OnMouseUp(x, y, buttons); }
    bool OnMouseMove(double x, double y, int buttons) override { return inner_->OnMouseMove(x, y, buttons); }
    bool OnWheel(double x, double y, double distance, int buttons) override
    {
        return inner_->OnWheel(x, y, distance, buttons);
    }
    void OnDesktopScaleChanged() override { owner_.rechoose_ = true; }
    bool OnKeyDown(const gui::Key& key) override { return inner_->OnKeyDown(key); }
    bool OnKeyUp(const gui::Key& key) override { return inner_->OnKeyUp(key); }

private:
    void ShowMenu(double x, double y)
    {
        const double stored = gui::StoredUserScale();
        std::vector<gui::MenuItem> items{{"Automatic", stored <= 0}};
        for (const double scale : gui::kScaleChoices)
            items.push_back({Percent(scale), stored == scale});
        const int chosen = gui::ShowPopupMenu(*owner_.frame_, x, y, items);
        if (chosen < 0) return;
        gui::StoreUserScale(chosen == 0 ? 0.0 : gui::kScaleChoices[chosen - 1]);
        // Applied after the frame's events: the window is not resized in the middle of them.
        owner_.rechoose_ = true;
    }

    EditorFrame& owner_;
    std::unique_ptr<gui::View> inner_;
};

double EditorFrame::ChooseScale(double hostScale, const gui::Frame* frame)
{
    return gui::ChooseScale(gui::StoredUserScale(), hostScale, gui::DesktopScale(frame));
}

void EditorFrame::OpeningSize(double hostScale, int& width, int& height)
{
    const double scale = ChooseScale(hostScale, nullptr);
    width = gui::PixelSize(kWidth, scale);
    height = gui::PixelSize(kHeight, scale);
}

EditorFrame::EditorFrame(std::uintptr_t parent, std::unique_ptr<gui::View> view, double hostScale)
    : hostScale_(hostScale), nextLook_(std::chrono::steady_clock::now() + kLookInterval)
{
    frame_ = std::make_unique<gui::Frame>(parent, kWidth, kHeight, std::make_unique<ZoomView>(*this, std::move(view)),
                                          ChooseScale(hostScale, nullptr));
}

EditorFrame::~EditorFrame() = default;

void EditorFrame::SetHostScale(double scale)
{
    hostScale_ = scale;
    Rechoose();
}

void EditorFrame::Idle()
{
    frame_->Idle();
    const auto now = std::chrono::steady_clock::now();
    if (rechoose_ || now >= nextLook_) {
        rechoose_ = false;
        nextLook_ = now + kLookInterval;
        Rechoose();
    }
}

void EditorFrame::Rechoose()
{
    const double scale = ChooseScale(hostScale_, frame_.get());
    if (scale == frame_->Scale()) return;
    frame_->SetScale(scale);
    if (resizeRequest_) resizeRequest_(frame_->PixelWidth(), frame_->PixelHeight());
}

double EditorFrame::Scale() const { return frame_->Scale(); }

int EditorFrame::PixelWidth() const { return frame_->PixelWidth(); }

int EditorFrame::PixelHeight() const { return frame_->PixelHeight(); }
