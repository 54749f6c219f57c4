#pragma once
// A small menu of choices shown over a frame, as desktops show a context menu.

#include <string>
#include <vector>

namespace gui {

class Frame;

struct MenuItem {
    std::string text;
    bool checked = false;
    // Shown but not to be picked (grey).
    bool enabled = true;
    // A line between groups of items; its text is not shown.
    bool separator = false;

    bool Pickable() const { return enabled && !separator; }
};

// Shows the items in a menu whose top-left corner is at (x, y) in the frame's view units
// and waits until the user picks one (a click or Return) or leaves (Escape, a click outside).
// Answers the index picked, -1 when none was, or without a window; items that are not
// pickable are never answered. The GUI thread; the
// frame's own events wait meanwhile.
int ShowPopupMenu(Frame& frame, double x, double y, const std::vector<MenuItem>& items);

} // namespace gui
