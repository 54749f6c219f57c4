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

// A drawing colour as the sections hold it: four components, nominally 0 to 1.
struct DrawColour {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;
};

// A colour component as the byte the host's colour services take: saturated at 0 and 255.
int ColourByte(double component) noexcept;

class CVexlGraphics : public CVexlFonts {
public:
    // Draws string s line by line at the drawing position and moves the position on.
    void DrawText(double stringNumber, const DrawColour& colour);
    // Fills a rectangle with its corners floored and moves the position to its far corner.
    void FillRect(double x, double y, double width, double height, const DrawColour& colour);
    // Draws image i at the drawing position at its own size, or the "ERROR" box.
    void DrawImage(double imageNumber);
    // The image record, loaded on first use: the library's resource first, then the file.
    ImageRecord& GetImage(int32_t imageNumber);

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
