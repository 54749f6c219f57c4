#pragma once
// Which scale the editor uses, and the user's own choice, kept per user for every instance
// ($XDG_CONFIG_HOME/tolvanger/scale, else ~/.config/tolvanger/scale; on Windows
// %APPDATA%\Tolvanger\scale). Any thread; the file is read and written whole.

#include <string>

namespace gui {

// The scales the user is offered, besides "Automatic".
inline constexpr double kScaleChoices[] = {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0};
inline constexpr double kSmallestScale = 1.0;
inline constexpr double kLargestScale = 3.0;

// The first source that says something (above 0): the user's choice, the host's scale, the
// desktop's; 1 when none does. Kept within 1 to 3.
double ChooseScale(double user, double host, double desktop);

// The user's stored choice; 0 for "Automatic", for no file and for a file that holds no
// usable scale.
double StoredUserScale();
// Stores the choice (0 or below: "Automatic"); false when the file cannot be written.
bool StoreUserScale(double scale);
// Where the choice is kept; empty when the environment names no place.
std::string UserScaleFile();

} // namespace gui
