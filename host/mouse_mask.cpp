#include "host/mouse_mask.h"

int ToolkitButtonsToMask(int toolkitButtons) { return toolkitButtons & (1 | 2 | 4 | 8 | 16 | 64); }
