#pragma once
// The one folder of the user's own settings, shared by every format, the editor and the
// renderer: $XDG_CONFIG_HOME/tolvanger, else ~/.config/tolvanger (an XDG_CONFIG_HOME that is
// not an absolute path is ignored, as the XDG rules say); on Windows %APPDATA%\Tolvanger.
// Each system's back end says where (gui/x11/, gui/win32/).

#include <string>

namespace gui {

// The folder without a trailing separator, whether or not it exists yet; empty when the
// environment names no place for it. Any thread.
std::string UserSettingsFolder();

// The folder's separator: '\\' on Windows, '/' elsewhere.
char UserSettingsSeparator() noexcept;

} // namespace gui
