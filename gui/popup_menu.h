#pragma once
// A small menu of choices shown over a frame, as desktops show a context menu.

#include <string>
#include <vector>

namespace gui {

class Frame;

struct MenuItem {
    std::string text;
    bool checked = false;
};

// Shows the items in a menu whose top-left corner is at (x, y) in the frame's view units
// and waits until the user picks one (a click or Return) or leaves (Escape, a click outside).
// Answers the index picked, -1 when none was, or without a window. The GUI thread; the
// frame's own events wait meanwhile.
int ShowPopupMenu(Frame& frame, double x, double y, const std::vector<MenuItem>& items);

} // namespace gui
