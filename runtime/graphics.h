#pragma once
// Drawing state of the runtime: the drawing position, the redraw rate and the images
// loaded for the editor.

#include <cstdint>
#include <map>

#include "runtime/fonts.h"

struct BitmapHolder;

struct ImageRecord {
    BitmapHolder* holder = nullptr;
    double width = 0.0;
    double height = 0.0;
};

class CVexlGraphics : public CVexlFonts {
public:
    double drawX = 0.0;
    double drawY = 0.0;
    // Frames per second of the redraw timer; the parameter thread (init) and the editor
    // thread both set it.
    SharedValue redrawRate;
    std::map<int32_t, ImageRecord> imageTable;

protected:
    CVexlGraphics() = default;
    ~CVexlGraphics();
};
