#include "gui/frame.h"

namespace gui {

bool Frame::KeyDown(const Key& key) { return view_ && view_->OnKeyDown(key); }

bool Frame::KeyUp(const Key& key) { return view_ && view_->OnKeyUp(key); }

} // namespace gui
