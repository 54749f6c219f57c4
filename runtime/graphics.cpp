#include "runtime/graphics.h"

#include "runtime/drawing_services.h"

CVexlGraphics::~CVexlGraphics()
{
    for (auto& [number, record] : imageTable) {
        DestroyBitmapHolder(record.holder);
        record.holder = nullptr;
    }
}
