#pragma once
// Font slots of the drawing section and the line height that text drawing uses.

#include <cstdint>
#include <map>
#include <string>

#include "runtime/files.h"

struct FontRecord {
    std::string name;
    double size = 0.0;
    int32_t style = 0;
};

class CVexlFonts : public CVexlFiles {
public:
    // Sets the text height and font slot k to the family named by string n at 0.85 of the
    // height in pixels, and selects it; "verdana" stands in when the selection fails.
    void SetFont(double slot, double nameString, double height, double style);

    double textHeight = 0.0;
    std::map<int32_t, FontRecord> fontTable;

protected:
    CVexlFonts() = default;
    ~CVexlFonts() = default;
};
