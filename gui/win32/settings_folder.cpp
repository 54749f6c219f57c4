#include "gui/settings_folder.h"

#include <cstdlib>
#include <string>

namespace gui {

std::string UserSettingsFolder()
{
    const char* appData = std::getenv("APPDATA");
    return appData && *appData ? std::string(appData) + "\\Tolvanger" : "";
}

char UserSettingsSeparator() noexcept { return '\\'; }

} // namespace gui
