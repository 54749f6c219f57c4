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

// The keys that edit a line of text, named alike whichever window system or host sent them.
enum class KeyName { kNone, kEnter, kEscape, kBackspace, kDelete, kLeft, kRight, kHome, kEnd, kTab };

// A key press or release. Keys come either from the host (which passes its own codes
// through the editor) or from the window when it has the keyboard focus.
struct Key {
    std::uint32_t character = 0; // Unicode code point of the key's text, 0 when none
    std::uint32_t keysym = 0;    // X keysym for keys from an X11 window, 0 otherwise
    int virtualKey = 0;          // the host's own virtual-key code, passed through; 0 from the window
    int modifiers = 0;           // kShift, kControl, kAlt
    KeyName name = KeyName::kNone;
    // The event types `character` as text (a key press, or a typed character on Windows);
    // false for a press whose character is only its key's label.
    bool text = false;
};

// Two presses of a button closer in time than this make a double click, on this system.
int DoubleClickMilliseconds();

} // namespace gui
