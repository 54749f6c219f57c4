#pragma once
// The mouse as the drawing section sees it: the button mask latched at the last press
// and the pointer position of the last event. Only the editor thread touches it.

#include "runtime/graphics.h"

namespace mouse_mask {
constexpr int kLeft = 1;
constexpr int kRight = 2;
constexpr int kControl = 4;
constexpr int kShift = 8;
constexpr int kAlt = 16;
constexpr int kMiddle = 64;
} // namespace mouse_mask

class CVexlMouse : public CVexlGraphics {
public:
    double mouseButtons = 0.0;
    double mouseX = 0.0;
    double mouseY = 0.0;

protected:
    CVexlMouse() = default;
    ~CVexlMouse() = default;
};
