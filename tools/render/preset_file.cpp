#include "tools/render/preset_file.h"
#include "tools/render/file_names.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/preset_file.h"
#include "core/presets.h"
#include "tools/render/render_error.h"

namespace render {
namespace {

using preset_file::FourCharacters;

void CheckIdentity(int32_t id, const AEffect* effect, const std::string& what)
{
    if (id != effect->uniqueID)
        throw RenderError(what + " is a preset for another plug-in (ID " + FourCharacters(id) + "; this one is " +
                          FourCharacters(effect->uniqueID) + ")");
}

void SetProgramName(hostkit::PluginInstance& plugin, const std::string& name)
{
    char text[preset_file::kLongestName + 2] = {};
    std::memcpy(text, name.data(), std::min(name.size(), preset_file::kLongestName + 1));
    plugin.Dispatch(effSetProgramName, 0, 0, text);
}

// A parameter-list program: checked whole before the first value is set.
void LoadValues(hostkit::PluginInstance& plugin, const preset_file::Program& program, const std::string& what)
{
    const int count = plugin.effect()->numParams;
    if (program.values.size() != static_cast<std::size_t>(count))
        throw RenderError(what + " holds " + std::to_string(program.values.size()) +
                          " parameter values; the plug-in has " + std::to_string(count));
    SetProgramName(plugin, program.name);
    for (int i = 0; i < count; ++i)
        plugin.SetParameter(i, program.values[static_cast<std::size_t>(i)]);
}

void LoadChunk(hostkit::PluginInstance& plugin, const preset_file::Program& program, bool isPreset,
               const std::string& what)
{
    if (!(plugin.effect()->flags & effFlagsProgramChunks))
        throw RenderError(what + " holds a state chunk, but the plug-in keeps its state as parameters");
    if (isPreset) SetProgramName(plugin, program.name);
    plugin.SetChunk(program.chunk.data(), static_cast<int32_t>(program.chunk.size()), isPreset);
}

std::string ProgramName(const std::string& path)
{
    const auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    if (name.size() > preset_file::kLongestName) name.resize(preset_file::kLongestName);
    return name;
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) throw RenderError("cannot read " + path + ": " + std::strerror(errno));
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw RenderError("cannot read " + path + ": " + std::strerror(errno));
    return data;
}

} // namespace

PresetSource ResolvePreset(const std::string& nameOrPath)
{
    std::error_code error;
    const bool isFile = std::filesystem::is_regular_file(nameOrPath, error);
    if (!isFile) {
        const int factory = presets::FindFactory(nameOrPath);
        if (factory >= 0) return {presets::FactoryFile(factory), "the factory preset '" + nameOrPath + "'"};
        for (const presets::UserPreset& user : presets::ListUserPresets())
            if (presets::SameName(user.name, nameOrPath)) {
                if (!user.readable) throw RenderError("the user preset " + user.file + " " + user.problem);
                return {ReadBytes(user.file), user.file};
            }
        const bool looksLikeFile = nameOrPath.find('/') != std::string::npos || !Extension(nameOrPath).empty();
        if (!looksLikeFile) throw RenderError("no preset named '" + nameOrPath + "' (--list-presets shows them all)");
    }
    return {ReadBytes(nameOrPath), nameOrPath};
}

std::string PresetListing()
{
    std::size_t width = 0;
    for (int i = 0; i < presets::FactoryCount(); ++i)
        width = std::max(width, std::strlen(presets::Factory(i)->name));
    std::string text = "Factory presets:\n";
    for (int i = 0; i < presets::FactoryCount(); ++i) {
        const FactoryPreset& preset = *presets::Factory(i);
        text += "  " + std::string(preset.name) + std::string(width + 2 - std::strlen(preset.name), ' ') + preset.line +
                "\n";
    }
    const std::string folder = presets::UserFolder();
    const std::vector<presets::UserPreset> users = presets::ListUserPresets(folder);
    text += "\nYour presets (" + (folder.empty() ? std::string("no folder: HOME is not set") : folder) +
            "):" + (users.empty() ? " none\n" : "\n");
    for (const presets::UserPreset& user : users)
        text +=
            "  " + user.name + (user.readable ? "" : "  (unreadable: " + user.file + " " + user.problem + ")") + "\n";
    return text;
}

void LoadPreset(hostkit::PluginInstance& plugin, const PresetSource& preset)
{
    preset_file::Contents contents;
    std::string problem;
    if (!preset_file::Read(preset.bytes.data(), preset.bytes.size(), contents, problem))
        throw RenderError(preset.what + " " + problem);
    CheckIdentity(contents.pluginId, plugin.effect(), preset.what);
    switch (contents.kind) {
    case preset_file::Kind::kProgramValues:
        LoadValues(plugin, contents.program, preset.what);
        break;
    case preset_file::Kind::kProgramChunk:
        LoadChunk(plugin, contents.program, true, preset.what);
        break;
    case preset_file::Kind::kBankChunk:
        LoadChunk(plugin, contents.program, false, preset.what);
        break;
    case preset_file::Kind::kBankValues: {
        // Every program is checked before any is loaded.
        const AEffect* effect = plugin.effect();
        for (const preset_file::Program& program : contents.programs) {
            CheckIdentity(program.pluginId, effect, preset.what);
            if (program.values.size() != static_cast<std::size_t>(effect->numParams))
                throw RenderError(preset.what + " holds " + std::to_string(program.values.size()) +
                                  " parameter values; the plug-in has " + std::to_string(effect->numParams));
        }
        for (std::size_t i = 0; i < contents.programs.size() && i < static_cast<std::size_t>(effect->numPrograms);
             ++i) {
            plugin.Dispatch(effSetProgram, 0, static_cast<intptr_t>(i));
            LoadValues(plugin, contents.programs[i], preset.what);
        }
        if (contents.currentProgram >= 0 && contents.currentProgram < effect->numPrograms)
            plugin.Dispatch(effSetProgram, 0, contents.currentProgram);
        break;
    }
    }
}

void CheckPresetName(const AEffect* effect, const std::string& path)
{
    const std::string extension = Extension(path);
    if (extension != "fxp" && extension != "fxb")
        throw RenderError("a preset file is named .fxp (a program) or .fxb (a bank), not " + path);
    if (extension == "fxb" && !(effect->flags & effFlagsProgramChunks))
        throw RenderError("the plug-in keeps no state chunk; save its program as a .fxp file instead of " + path);
}

std::vector<unsigned char> EncodePreset(hostkit::PluginInstance& plugin, const std::string& path)
{
    const AEffect* effect = plugin.effect();
    const bool bank = Extension(path) == "fxb";
    const bool chunks = (effect->flags & effFlagsProgramChunks) != 0;
    std::vector<unsigned char> chunk;
    if (chunks) {
        chunk = plugin.GetChunk(!bank);
        if (chunk.empty()) throw RenderError("the plug-in handed out no state to save in " + path);
    }
    if (bank)
        return preset_file::WriteChunkBank(effect->uniqueID, effect->version, effect->numPrograms,
                                           static_cast<int32_t>(plugin.Dispatch(effGetProgram)), chunk);
    preset_file::Program program;
    program.pluginId = effect->uniqueID;
    program.name = ProgramName(path);
    program.chunk = std::move(chunk);
    if (!chunks)
        for (int i = 0; i < effect->numParams; ++i)
            program.values.push_back(plugin.GetParameter(i));
    return preset_file::WriteProgram(program, effect->version, effect->numParams);
}

} // namespace render
