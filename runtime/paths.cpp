#include "runtime/paths.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "runtime/description.h"
#include "runtime/platform.h"

std::string ResolvePath(const std::string& name)
{
    std::string relative = name;
    if (!relative.empty() && (relative[0] == '\\' || relative[0] == '/')) relative.erase(0, 1);
    const std::string module = platform::ModulePath();
    const size_t cut = module.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : module.substr(0, cut + 1);
    return folder + relative;
}

std::string NativePath(const std::string& path)
{
    std::string native = path;
    const char separator = platform::PathSeparator();
    for (char& c : native)
        if (c == '\\' || c == '/') c = separator;
    return native;
}

const std::string& LogPath()
{
    static const std::string path = [] {
        const char* overridden = std::getenv("TOLVANGER_LOG_PATH");
        return std::string(overridden && *overridden ? overridden : "/keld.log.txt");
    }();
    return path;
}

void WriteLog(const std::string& text)
{
    FILE* file = std::fopen(LogPath().c_str(), "a");
    if (!file) return;
    std::fprintf(file, "%s\n", text.c_str());
    std::fclose(file);
    platform::Beep(2000, 200);
}

void ListDataFiles(SliderDef& def)
{
    const std::string folder = ResolvePath(def.folder);
    std::error_code error;
    std::filesystem::directory_iterator it(NativePath(folder), error);
    if (!error) {
        for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
            if (error) break;
            const std::string entry = it->path().filename().string();
            if (entry.empty() || entry[0] == '.') continue;
            // The entry's own path, as the listing reports it, so a folder text without a
            // trailing separator still lists its files.
            std::error_code statusError;
            const auto status = std::filesystem::status(it->path(), statusError);
            if (statusError || std::filesystem::is_directory(status)) continue;
            def.options.push_back(entry);
        }
    }
    if (def.options.empty()) def.options.push_back("(No Data Files)");
    def.minimum = 0.0;
    def.maximum = static_cast<double>(def.options.size()) - 1.0;
    def.defaultValue = 0.0;
    def.step = 0.5;
}
