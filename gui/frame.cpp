#include "gui/frame.h"

#include "gui/scale.h"

namespace gui {

int Frame::PixelWidth() const { return PixelSize(width_, scale_); }

int Frame::PixelHeight() const { return PixelSize(height_, scale_); }

bool Frame::KeyDown(const Key& key) { return view_ && view_->OnKeyDown(key); }

bool Frame::KeyUp(const Key& key) { return view_ && view_->OnKeyUp(key); }

} // namespace gui
