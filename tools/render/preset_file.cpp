#include "tools/render/preset_file.h"
#include "tools/render/file_names.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tools/render/loaded_plugin.h"
#include "tools/render/render_error.h"

namespace render {
namespace {

constexpr int32_t FourCC(const char (&code)[5])
{
    return static_cast<int32_t>((static_cast<uint32_t>(code[0]) << 24) | (static_cast<uint32_t>(code[1]) << 16) |
                                (static_cast<uint32_t>(code[2]) << 8) | static_cast<uint32_t>(code[3]));
}

constexpr int32_t kFileMagic = FourCC("CcnK");
constexpr int32_t kProgramParams = FourCC("FxCk");
constexpr int32_t kProgramChunk = FourCC("FPCh");
constexpr int32_t kBankParams = FourCC("FxBk");
constexpr int32_t kBankChunk = FourCC("FBCh");

// Offsets within a program record and a bank file (every integer big-endian).
constexpr std::size_t kProgramNameAt = 28;
constexpr std::size_t kProgramNameSize = 28;
constexpr std::size_t kProgramDataAt = 56;
constexpr std::size_t kBankCurrentAt = 28;
constexpr std::size_t kBankDataAt = 156;

class Bytes {
public:
    Bytes(const std::vector<unsigned char>& data, std::size_t begin, std::size_t end, const std::string& path)
        : data_(data), begin_(begin), end_(end), path_(path)
    {
    }
    std::size_t size() const { return end_ - begin_; }
    const unsigned char* at(std::size_t offset) const { return data_.data() + begin_ + offset; }

    void Need(std::size_t bytes) const
    {
        if (bytes > size()) throw RenderError(path_ + " is damaged: it ends before its contents do");
    }
    int32_t Int(std::size_t offset) const
    {
        Need(offset + 4);
        const unsigned char* p = at(offset);
        return static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                                    (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]));
    }
    float Float(std::size_t offset) const { return std::bit_cast<float>(Int(offset)); }
    std::string Text(std::size_t offset, std::size_t length) const
    {
        Need(offset + length);
        const char* p = reinterpret_cast<const char*>(at(offset));
        return std::string(p, strnlen(p, length));
    }
    // A record of `size` bytes starting at `offset`.
    Bytes Sub(std::size_t offset, std::size_t length) const
    {
        Need(offset + length);
        return Bytes(data_, begin_ + offset, begin_ + offset + length, path_);
    }
    std::size_t Count(int32_t value, std::size_t unit, std::size_t from) const
    {
        if (value < 0 || static_cast<std::size_t>(value) > (size() - std::min(size(), from)) / unit)
            throw RenderError(path_ + " is damaged: it ends before its contents do");
        return static_cast<std::size_t>(value);
    }

private:
    const std::vector<unsigned char>& data_;
    std::size_t begin_, end_;
    std::string path_;
};

// The part of a 'CcnK' record that its byte count covers.
Bytes Record(const std::vector<unsigned char>& data, std::size_t begin, std::size_t end, const std::string& path)
{
    const Bytes whole(data, begin, end, path);
    if (whole.size() < 8 || whole.Int(0) != kFileMagic) throw RenderError(path + " is not a VST preset file");
    const std::size_t length = whole.Count(whole.Int(4), 1, 8);
    return whole.Sub(0, 8 + length);
}

void CheckIdentity(const Bytes& record, const AEffect* effect, const std::string& path)
{
    const int32_t id = record.Int(16);
    if (id != effect->uniqueID)
        throw RenderError(path + " is a preset for another plug-in (ID " + FourCharacters(id) + "; this one is " +
                          FourCharacters(effect->uniqueID) + ")");
}

void SetProgramName(hostkit::PluginInstance& plugin, const std::string& name)
{
    char text[kProgramNameSize + 1] = {};
    std::memcpy(text, name.data(), std::min(name.size(), kProgramNameSize));
    plugin.Dispatch(effSetProgramName, 0, 0, text);
}

// A parameter-list program: checked whole before the first value is set.
void LoadParameterProgram(hostkit::PluginInstance& plugin, const Bytes& record, const std::string& path)
{
    const int count = plugin.effect()->numParams;
    const std::size_t stored = record.Count(record.Int(24), 4, kProgramDataAt);
    if (stored != static_cast<std::size_t>(count))
        throw RenderError(path + " holds " + std::to_string(stored) + " parameter values; the plug-in has " +
                          std::to_string(count));
    std::vector<float> values;
    for (std::size_t i = 0; i < stored; ++i)
        values.push_back(record.Float(kProgramDataAt + 4 * i));
    SetProgramName(plugin, record.Text(kProgramNameAt, kProgramNameSize));
    for (int i = 0; i < count; ++i)
        plugin.SetParameter(i, values[static_cast<std::size_t>(i)]);
}

void LoadChunk(hostkit::PluginInstance& plugin, const Bytes& record, std::size_t sizeAt, bool isPreset,
               const std::string& path)
{
    if (!(plugin.effect()->flags & effFlagsProgramChunks))
        throw RenderError(path + " holds a state chunk, but the plug-in keeps its state as parameters");
    const std::size_t size = record.Count(record.Int(sizeAt), 1, sizeAt + 4);
    if (isPreset) SetProgramName(plugin, record.Text(kProgramNameAt, kProgramNameSize));
    plugin.SetChunk(record.at(sizeAt + 4), static_cast<int32_t>(size), isPreset);
}

void LoadParameterBank(hostkit::PluginInstance& plugin, const Bytes& bank, const std::string& path)
{
    const AEffect* effect = plugin.effect();
    const std::size_t programs = bank.Count(bank.Int(24), 8, kBankDataAt);
    // Every program record is checked before any is loaded.
    std::vector<Bytes> records;
    std::size_t offset = kBankDataAt;
    for (std::size_t i = 0; i < programs; ++i) {
        bank.Need(offset + 8);
        const std::size_t length = 8 + bank.Count(bank.Int(offset + 4), 1, offset + 8);
        const Bytes program = bank.Sub(offset, length);
        if (program.Int(0) != kFileMagic || program.Int(8) != kProgramParams)
            throw RenderError(path + " is damaged: program " + std::to_string(i) + " is not a parameter list");
        CheckIdentity(program, effect, path);
        records.push_back(program);
        offset += length;
    }
    const int32_t version = bank.Int(12);
    const int32_t current = version >= 2 ? bank.Int(kBankCurrentAt) : 0;
    for (std::size_t i = 0; i < records.size() && i < static_cast<std::size_t>(effect->numPrograms); ++i) {
        plugin.Dispatch(effSetProgram, 0, static_cast<intptr_t>(i));
        LoadParameterProgram(plugin, records[i], path);
    }
    if (current >= 0 && current < effect->numPrograms) plugin.Dispatch(effSetProgram, 0, current);
}

std::string ProgramName(const std::string& path)
{
    const auto slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    if (name.size() > kProgramNameSize - 1) name.resize(kProgramNameSize - 1);
    return name;
}

void PutInt(std::vector<unsigned char>& out, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

void PutZeros(std::vector<unsigned char>& out, std::size_t count) { out.insert(out.end(), count, 0); }

} // namespace

void LoadPreset(hostkit::PluginInstance& plugin, const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) throw RenderError("cannot read " + path + ": " + std::strerror(errno));
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw RenderError("cannot read " + path + ": " + std::strerror(errno));

    const Bytes record = Record(data, 0, data.size(), path);
    if (record.size() < 20) throw RenderError(path + " is damaged: it ends before its contents do");
    const int32_t kind = record.Int(8);
    if (kind != kProgramParams && kind != kProgramChunk && kind != kBankParams && kind != kBankChunk)
        throw RenderError(path + " is not a VST preset file (its kind is " + FourCharacters(kind) + ")");
    CheckIdentity(record, plugin.effect(), path);

    if (kind == kProgramParams)
        LoadParameterProgram(plugin, record, path);
    else if (kind == kProgramChunk)
        LoadChunk(plugin, record, kProgramDataAt, true, path);
    else if (kind == kBankChunk)
        LoadChunk(plugin, record, kBankDataAt, false, path);
    else
        LoadParameterBank(plugin, record, path);
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

    std::vector<unsigned char> body;
    if (bank) {
        PutInt(body, kBankChunk);
        PutInt(body, 2);
        PutInt(body, effect->uniqueID);
        PutInt(body, effect->version);
        PutInt(body, effect->numPrograms);
        PutInt(body, static_cast<int32_t>(plugin.Dispatch(effGetProgram)));
        PutZeros(body, 124);
    } else {
        PutInt(body, chunks ? kProgramChunk : kProgramParams);
        PutInt(body, 1);
        PutInt(body, effect->uniqueID);
        PutInt(body, effect->version);
        PutInt(body, effect->numParams);
        const std::string name = ProgramName(path);
        body.insert(body.end(), name.begin(), name.end());
        PutZeros(body, kProgramNameSize - name.size());
    }
    if (chunks) {
        const std::vector<unsigned char> chunk = plugin.GetChunk(!bank);
        if (chunk.empty()) throw RenderError("the plug-in handed out no state to save in " + path);
        PutInt(body, static_cast<int32_t>(chunk.size()));
        body.insert(body.end(), chunk.begin(), chunk.end());
    } else {
        for (int i = 0; i < effect->numParams; ++i)
            PutInt(body, std::bit_cast<int32_t>(plugin.GetParameter(i)));
    }

    std::vector<unsigned char> file;
    PutInt(file, kFileMagic);
    PutInt(file, static_cast<int32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

} // namespace render
