#pragma once

// The toolkit's button state at a press, translated bit by bit into the runtime's mask
// (left 1, right 2, control 4, shift 8, alt 16, middle 64).
int ToolkitButtonsToMask(int toolkitButtons);
