#include "core/user_folder.h"

#include <cstdlib>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

std::string UserSettingsFolder()
{
#ifdef _WIN32
    const std::string appData = Environment("APPDATA");
    return appData.empty() ? "" : appData + "\\Tolvanger";
#else
    std::string config = Environment("XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') {
        const std::string home = Environment("HOME");
        if (home.empty()) return "";
        config = home + "/.config";
    }
    return config + "/tolvanger";
#endif
}

char UserSettingsSeparator() noexcept
{
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}
