#include "runtime/fonts.h"

#include "runtime/drawing_services.h"

void CVexlFonts::SetFont(double slot, double nameString, double height, double style)
{
    const double size = 0.85 * height;
    textHeight = size / 0.85;
    FontRecord& record = fontTable[ToIndex(slot)];
    record.name = String(nameString);
    record.size = size;
    record.style = ToIndex(style);
    // The size is truncated toward zero, so a requested 13 (11.05 pixels) selects 11.
    const int32_t pixels = static_cast<int32_t>(size > -2147483648.0 && size < 2147483648.0 ? size : 0.0);
    if (SelectFont(hostObject, record.name, pixels, record.style) == 0)
        SelectFont(hostObject, "verdana", pixels, record.style);
}
