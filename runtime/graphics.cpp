#include "runtime/graphics.h"

#include <algorithm>
#include <cmath>

#include "runtime/drawing_services.h"
#include "runtime/paths.h"

int ColourByte(double component) noexcept { return std::clamp(ToIndex(component * 255.0), 0, 255); }

CVexlGraphics::~CVexlGraphics()
{
    for (auto& [number, record] : imageTable) {
        DestroyBitmapHolder(record.holder);
        record.holder = nullptr;
    }
}

void CVexlGraphics::DrawText(double stringNumber, const DrawColour& c)
{
    SetFontColour(hostObject, ColourByte(c.red), ColourByte(c.green), ColourByte(c.blue), ColourByte(c.alpha));
    SetAntialias(hostObject, 3);
    const std::string text = String(stringNumber);
    size_t start = 0;
    double width = 0.0;
    for (;;) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        width = MeasureText(hostObject, line);
        DrawTextInRect(hostObject, line, drawX, drawY, drawX + width, drawY + textHeight + 2.0, 0, 0);
        if (end == std::string::npos) break;
        drawY += textHeight;
        start = end + 1;
    }
    // Every line starts at the same x; only the last line's width moves the position.
    drawX += width;
}

void CVexlGraphics::FillRect(double x, double y, double width, double height, const DrawColour& c)
{
    drawX = x + width;
    drawY = y + height;
    SetFillColour(hostObject, ColourByte(c.red), ColourByte(c.green), ColourByte(c.blue), ColourByte(c.alpha));
    SetAntialias(hostObject, 0);
    DrawRectangle(hostObject, std::floor(x), std::floor(y), std::floor(x + width), std::floor(y + height), 1);
}

void CVexlGraphics::DrawImage(double imageNumber)
{
    const ImageRecord& record = GetImage(ToIndex(imageNumber));
    const double x1 = drawX, y1 = drawY, x2 = drawX + record.width, y2 = drawY + record.height;
    if (DrawBitmap(hostObject, record.holder, x1, y1, x2, y2, 0.0, 0.0)) return;
    SetFillColour(hostObject, 255, 0, 0, 255);
    DrawRectangle(hostObject, x1, y1, x2, y2, 1);
    SetFontColour(hostObject, 255, 255, 0, 255);
    DrawTextInRect(hostObject, "ERROR", x1, y1, x2, y2, 0, 1);
}

ImageRecord& CVexlGraphics::GetImage(int32_t imageNumber)
{
    ImageRecord& record = imageTable[imageNumber];
    if (record.holder) return record;
    const auto name = fileNameTable.find(imageNumber);
    if (name == fileNameTable.end()) return record;
    // Without a host object there is nothing to load into; try again once there is one.
    if (!hostObject) return record;
    record.width = 0.0;
    record.height = 0.0;
    record.holder = CreateBitmapHolder(hostObject);
    if (LoadBitmapResource(hostObject, record.holder, imageNumber)) {
        record.width = BitmapWidth(hostObject, record.holder);
        record.height = BitmapHeight(hostObject, record.holder);
        return record;
    }
    const std::string path = ResolvePath(name->second);
    if (LoadBitmapFile(hostObject, record.holder, NativePath(path))) {
        record.width = BitmapWidth(hostObject, record.holder);
        record.height = BitmapHeight(hostObject, record.holder);
        return record;
    }
    WriteLog("Unable to load: " + path);
    return record;
}
