#pragma once
// Numbered texts of the effect (format strings, font names, labels, a scratch entry)
// and the names of its image files by image number.

#include <cstdint>
#include <map>
#include <string>

#include "runtime/description.h"

class CVexlStrings : public CVexlDescription {
public:
    // Find-or-insert: reading a number that was never set creates an empty entry.
    std::string& String(int32_t number) { return stringTable[number]; }
    std::string& String(double scriptValue) { return stringTable[ToIndex(scriptValue)]; }
    void SetString(int32_t number, const std::string& text) { stringTable[number] = text; }

    std::map<int32_t, std::string> stringTable;
    std::map<int32_t, std::string> fileNameTable;

protected:
    CVexlStrings() = default;
    ~CVexlStrings() = default;
};
