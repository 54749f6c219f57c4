#include "runtime/drawing_services.h"

struct BitmapHolder {};

void DestroyBitmapHolder(BitmapHolder* holder) { delete holder; }
