#include "gui/offscreen_context.h"

namespace gui {

std::uint32_t OffscreenContext::ReadArgb(int x, int y) const
{
    const Colour c = ReadPixel(x, y);
    return static_cast<std::uint32_t>(c.a) << 24 | static_cast<std::uint32_t>(c.r) << 16 |
           static_cast<std::uint32_t>(c.g) << 8 | c.b;
}

} // namespace gui
