#pragma once
// The host object's drawing services. They act on the draw context that the editor view
// publishes in the host object while it paints. Every service answers 0 with no host
// object; the ones that draw, measure or select also answer 0 and do nothing while no
// context is published. EditorSize, Redraw and the bitmap services work without one.
// Thread: the editor's window thread.

#include <cstdint>
#include <string>

#include "runtime/host_interface.h"

struct BitmapHolder;

int32_t EditorSize(HostInterface* host, int32_t* width, int32_t* height);
// Mode 3 turns shape antialiasing on, anything else off.
int32_t SetAntialias(HostInterface* host, int32_t mode);
int32_t SetFontColour(HostInterface* host, int r, int g, int b, int a);
int32_t SetFillColour(HostInterface* host, int r, int g, int b, int a);
int32_t SetFrameColour(HostInterface* host, int r, int g, int b, int a);
// Width of the text in the current font; -1 with no usable font.
double MeasureText(HostInterface* host, const std::string& text);
// Style 0 outline, 1 filled, 2 both.
int32_t DrawRectangle(HostInterface* host, double x1, double y1, double x2, double y2, int32_t style);
// Alignment 0 left, 1 centre, 2 right; the opaque flag is not used.
int32_t DrawTextInRect(HostInterface* host, const std::string& text, double x1, double y1, double x2, double y2, int32_t opaque,
                       int32_t alignment);
// Makes the family current through the host object's font cache.
int32_t SelectFont(HostInterface* host, const std::string& family, int32_t size, int32_t style);

BitmapHolder* CreateBitmapHolder(HostInterface* host);
int32_t ReleaseBitmapHolder(HostInterface* host, BitmapHolder* holder);
// Decodes the library's resource of that number into the holder; 1 when it has a size.
int32_t LoadBitmapResource(HostInterface* host, BitmapHolder* holder, int32_t number);
int32_t LoadBitmapFile(HostInterface* host, BitmapHolder* holder, const std::string& path);
double BitmapWidth(HostInterface* host, BitmapHolder* holder);
double BitmapHeight(HostInterface* host, BitmapHolder* holder);
int32_t DrawBitmap(HostInterface* host, BitmapHolder* holder, double x1, double y1, double x2, double y2, double sourceX,
                   double sourceY);
int32_t Redraw(HostInterface* host);

// Frees a holder without a host object (the runtime's destructor).
void DestroyBitmapHolder(BitmapHolder* holder);
