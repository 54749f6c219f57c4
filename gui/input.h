#pragma once

#include <cstdint>

namespace gui {

// Bits of the button state passed with every mouse event: the buttons held and the
// modifier keys down at the moment of the event.
inline constexpr int kLeftButton = 1 << 0;
inline constexpr int kRightButton = 1 << 1;
inline constexpr int kMiddleButton = 1 << 2;
inline constexpr int kExtraButton1 = 1 << 3; // the "back" side button (X button 8, Windows XBUTTON1)
inline constexpr int kExtraButton2 = 1 << 4; // the "forward" side button (X button 9, Windows XBUTTON2)
inline constexpr int kShift = 1 << 5;
inline constexpr int kControl = 1 << 6;
inline constexpr int kAlt = 1 << 7;

// A key press or release. Keys come either from the host (which passes its own codes
// through the editor) or from the window when it has the keyboard focus.
struct Key {
    std::uint32_t character = 0; // Unicode code point of the key's text, 0 when none
    std::uint32_t keysym = 0;    // X keysym for keys from an X11 window, 0 otherwise
    int virtualKey = 0;          // the host's own virtual-key code, passed through; 0 from the window
    int modifiers = 0;           // kShift, kControl, kAlt
};

} // namespace gui
