#pragma once
// The host object's drawing services as the runtime uses them. They act on the draw
// context the editor view publishes while it paints; with none published the services
// that draw, measure or select answer 0 and do nothing.

#include <cstdint>

class CVeST;
struct BitmapHolder;

// Frees a holder and drops its bitmap; any thread that owns the record.
void DestroyBitmapHolder(BitmapHolder* holder);
