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
    double textHeight = 0.0;
    std::map<int32_t, FontRecord> fontTable;

protected:
    CVexlFonts() = default;
    ~CVexlFonts() = default;
};
