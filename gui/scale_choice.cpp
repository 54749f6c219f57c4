#include "gui/scale_choice.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "gui/settings_folder.h"

namespace gui {

double ChooseScale(double user, double host, double desktop)
{
    for (const double scale : {user, host, desktop})
        if (std::isfinite(scale) && scale > 0) return std::clamp(scale, kSmallestScale, kLargestScale);
    return 1.0;
}

std::string UserScaleFile()
{
    const std::string folder = gui::UserSettingsFolder();
    return folder.empty() ? "" : folder + gui::UserSettingsSeparator() + "scale";
}

double StoredUserScale()
{
    const std::string path = UserScaleFile();
    if (path.empty()) return 0;
    std::ifstream file(path);
    std::string text;
    if (!(file >> text)) return 0;
    double scale = 0;
    // from_chars reads the number the same way whatever the locale.
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(scale) || scale <= 0) return 0;
    return std::clamp(scale, kSmallestScale, kLargestScale);
}

bool StoreUserScale(double scale)
{
    const std::string path = UserScaleFile();
    if (path.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::string text = "automatic";
    if (std::isfinite(scale) && scale > 0) {
        char number[32];
        const auto [end, failed] =
            std::to_chars(number, number + sizeof number, std::clamp(scale, kSmallestScale, kLargestScale));
        if (failed != std::errc()) return false;
        text.assign(number, end);
    }
    std::ofstream file(path, std::ios::trunc);
    file << text << '\n';
    file.close();
    return !file.fail();
}

} // namespace gui
