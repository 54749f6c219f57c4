#include "gui/settings_folder.h"

#include <cstdlib>
#include <string>

namespace gui {

std::string UserSettingsFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/tolvanger";
    const char* home = std::getenv("HOME");
    if (!home || !*home) return "";
    return std::string(home) + "/.config/tolvanger";
}

char UserSettingsSeparator() noexcept { return '/'; }

} // namespace gui
