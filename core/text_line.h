#pragma once
// One line of text typed into the editor (a value, a preset's name): the text, a caret, and,
// when it opens, all of it selected so that typing replaces it. Keys come as gui::Key names
// them, from the window or from the host; only plain ASCII is taken, which values, units,
// option names and file names here need. Thread: the editor's.

#include <cstddef>
#include <memory>
#include <string>

namespace gui {
class DrawContext;
class Font;
struct Key;
} // namespace gui

class TextLine {
public:
    enum class Outcome { kEditing, kEnter, kEscape };

    explicit TextLine(std::size_t longest) : longest_(longest) {}

    void Start(std::string text);
    // Edits the text; Enter and Escape end the typing (the caller closes the line).
    Outcome Key(const gui::Key& key);
    const std::string& Text() const { return text_; }

    // The box from (x1, y1) to (x2, y2) with the text, and the caret or the selection.
    void Draw(gui::DrawContext& context, const std::shared_ptr<const gui::Font>& font, double x1, double y1, double x2,
              double y2) const;

private:
    bool RemoveSelection();

    std::size_t longest_;
    std::string text_;
    std::size_t caret_ = 0;
    bool allSelected_ = false;
};
