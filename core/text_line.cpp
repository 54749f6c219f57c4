#include "core/text_line.h"

#include <algorithm>

#include "gui/draw_context.h"
#include "gui/font.h"
#include "gui/input.h"

namespace {
gui::Colour Grey(std::uint8_t level) { return {level, level, level, 255}; }
} // namespace

void TextLine::Start(std::string text)
{
    text_ = std::move(text);
    if (text_.size() > longest_) text_.resize(longest_);
    caret_ = text_.size();
    allSelected_ = !text_.empty();
}

bool TextLine::RemoveSelection()
{
    if (!allSelected_) return false;
    text_.clear();
    caret_ = 0;
    allSelected_ = false;
    return true;
}

TextLine::Outcome TextLine::Key(const gui::Key& key)
{
    switch (key.name) {
    case gui::KeyName::kEnter:
        return Outcome::kEnter;
    case gui::KeyName::kEscape:
        return Outcome::kEscape;
    case gui::KeyName::kBackspace:
        if (!RemoveSelection() && caret_ > 0) text_.erase(--caret_, 1);
        break;
    case gui::KeyName::kDelete:
        if (!RemoveSelection() && caret_ < text_.size()) text_.erase(caret_, 1);
        break;
    case gui::KeyName::kLeft:
        allSelected_ = false;
        if (caret_ > 0) --caret_;
        break;
    case gui::KeyName::kRight:
        allSelected_ = false;
        if (caret_ < text_.size()) ++caret_;
        break;
    case gui::KeyName::kHome:
        allSelected_ = false;
        caret_ = 0;
        break;
    case gui::KeyName::kEnd:
        allSelected_ = false;
        caret_ = text_.size();
        break;
    case gui::KeyName::kTab:
    case gui::KeyName::kNone:
        if (key.text && key.character < 0x80) {
            RemoveSelection();
            if (text_.size() < longest_) text_.insert(caret_++, 1, static_cast<char>(key.character));
        }
        break;
    }
    return Outcome::kEditing;
}

void TextLine::Draw(gui::DrawContext& context, const std::shared_ptr<const gui::Font>& font, double x1, double y1,
                    double x2, double y2) const
{
    context.SetAntialias(false);
    context.SetFillColour(Grey(24));
    context.SetFrameColour(Grey(200));
    context.DrawRectangle(x1, y1, x2, y2, gui::DrawContext::kFilledAndOutline);
    context.SetFont(font);
    const double left = x1 + 3;
    if (allSelected_) {
        context.SetFillColour(gui::Colour{60, 90, 150, 255});
        context.DrawRectangle(left - 1, y1 + 2, std::min(x2 - 1, left + context.MeasureText(text_) + 1), y2 - 2,
                              gui::DrawContext::kFilled);
    }
    context.SetFontColour(Grey(240));
    context.DrawTextInRect(text_, left, y1, x2 - 2, y2, gui::DrawContext::kAlignLeft);
    if (!allSelected_) {
        const double at = left + std::max(0.0, context.MeasureText(text_.substr(0, caret_)));
        context.SetFillColour(Grey(240));
        context.DrawRectangle(at, y1 + 3, at + 1, y2 - 3, gui::DrawContext::kFilled);
    }
}
