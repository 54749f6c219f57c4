#include "core/presets.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/preset_file.h"
#include "gui/settings_folder.h"
#include "effect/identity.h"
#include "effect/parameter_table.h"
#include "runtime/vexl.h"

namespace fs = std::filesystem;

// ---- The bank checked against the parameter table when this file compiles.

namespace {

static_assert(kFactoryPresetValues == kParameterTableSize, "a preset holds one value per parameter");

constexpr double Absolute(double x) { return x < 0 ? -x : x; }

constexpr bool OnStep(const ParameterRow& row, double value)
{
    if (!(value >= row.minimum && value <= row.maximum)) return false;
    const double steps = (value - row.minimum) / row.step;
    const auto whole = static_cast<long long>(steps + 0.5);
    return Absolute(steps - static_cast<double>(whole)) < 1e-6;
}

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr std::size_t Length(const char* text)
{
    std::size_t n = 0;
    while (text[n] != '\0')
        ++n;
    return n;
}

constexpr bool SameNameConstant(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (Lower(*a) != Lower(*b)) return false;
    return *a == *b;
}

// A name of plain printable ASCII, 1 to 24 characters, so that every host shows it whole.
constexpr bool PlainName(const char* name)
{
    const std::size_t n = Length(name);
    if (n == 0 || n > 24 || name[0] == ' ' || name[n - 1] == ' ') return false;
    for (std::size_t i = 0; i < n; ++i)
        if (name[i] < 0x20 || name[i] > 0x7E || name[i] == '"' || name[i] == '\\') return false;
    return true;
}

constexpr bool BankIsValid()
{
    for (int p = 0; p < kFactoryPresetCount; ++p) {
        const FactoryPreset& preset = kFactoryPresets[p];
        if (!PlainName(preset.name) || Length(preset.line) == 0) return false;
        for (int q = 0; q < p; ++q)
            if (SameNameConstant(preset.name, kFactoryPresets[q].name)) return false;
        for (int i = 0; i < kParameterTableSize; ++i)
            if (!OnStep(kParameterTable[i], preset.values[i])) return false;
    }
    return true;
}

static_assert(kFactoryPresetCount >= 16, "the bank has at least sixteen presets");
static_assert(BankIsValid(), "every factory preset has a plain, unique name, a line, and each value within its "
                             "parameter's range and on its step");

// A factory preset's key: the name's letters and digits in lower case, each run of other
// characters between them one "_".
struct Key {
    char text[32] = {};
    std::size_t size = 0;
};

constexpr bool WordCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

constexpr Key KeyOf(const char* name)
{
    Key key;
    bool gap = false;
    for (; *name && key.size + 2 < sizeof key.text; ++name) {
        if (!WordCharacter(*name)) {
            gap = key.size > 0;
            continue;
        }
        if (gap) key.text[key.size++] = '_';
        key.text[key.size++] = Lower(*name);
        gap = false;
    }
    return key;
}

constexpr bool KeysAreUnique()
{
    for (int p = 0; p < kFactoryPresetCount; ++p)
        for (int q = 0; q < p; ++q) {
            const Key a = KeyOf(kFactoryPresets[p].name), b = KeyOf(kFactoryPresets[q].name);
            bool same = a.size == b.size;
            for (std::size_t i = 0; same && i < a.size; ++i)
                same = a.text[i] == b.text[i];
            if (same || a.size == 0) return false;
        }
    return true;
}
static_assert(KeysAreUnique(), "every factory preset has a file name of its own");

constexpr std::size_t kChunkFloats = 1 + TVexl::kStateSliders;
// Larger than any preset file of ours by far; a larger file is not read.
constexpr std::uintmax_t kLargestPresetFile = 64 * 1024;

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Trimmed(const std::string& text)
{
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    std::size_t begin = 0, end = text.size();
    while (begin < end && space(text[begin]))
        ++begin;
    while (end > begin && space(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool ReservedOnWindows(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    std::transform(stem.begin(), stem.end(), stem.begin(), [](char c) { return Lower(c); });
    if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
    return stem.size() == 4 && (stem.rfind("com", 0) == 0 || stem.rfind("lpt", 0) == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

void PutFloat(std::vector<unsigned char>& out, float value)
{
    const auto bits = std::bit_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

float GetFloat(const unsigned char* p)
{
    return std::bit_cast<float>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

presets::UserPreset ReadUserFile(const fs::path& path)
{
    presets::UserPreset preset;
    preset.file = Utf8(path);
    const std::string fileName = Utf8(path.filename());
    const std::string extension = Utf8(path.extension());
    const bool fxp = extension.size() == 4 && presets::SameName(extension, ".fxp");
    preset.name = fxp ? presets::NameFromFile(fileName) : fileName;
    if (!fxp) {
        preset.problem = "is not a .fxp preset file";
        return preset;
    }
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        preset.problem = "cannot be read: " + error.message();
        return preset;
    }
    if (size == 0) {
        preset.problem = "is empty";
        return preset;
    }
    if (size > kLargestPresetFile) {
        preset.problem = "is too large to be a preset";
        return preset;
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        preset.problem = "cannot be read";
        return preset;
    }
    const presets::FileReading reading = presets::ReadProgramFile(bytes.data(), bytes.size());
    preset.readable = reading.readable;
    preset.problem = reading.problem;
    preset.values = reading.values;
    return preset;
}

} // namespace

namespace presets {

int FactoryCount() noexcept { return kFactoryPresetCount; }

const FactoryPreset* Factory(int index) noexcept
{
    return index >= 0 && index < kFactoryPresetCount ? &kFactoryPresets[index] : nullptr;
}

Values FactoryValues(int index) noexcept
{
    Values values{};
    if (const FactoryPreset* preset = Factory(index))
        std::copy(std::begin(preset->values), std::end(preset->values), values.begin());
    return values;
}

int FindFactory(std::string_view name) noexcept
{
    for (int i = 0; i < kFactoryPresetCount; ++i)
        if (SameName(kFactoryPresets[i].name, name)) return i;
    return -1;
}

std::string FactoryKey(int index)
{
    const FactoryPreset* preset = Factory(index);
    if (!preset) return {};
    const Key key = KeyOf(preset->name);
    return std::string(key.text, key.size);
}

int FindFactoryKey(std::string_view key) noexcept
{
    try {
        for (int i = 0; i < kFactoryPresetCount; ++i)
            if (FactoryKey(i) == key) return i;
    } catch (...) {
    }
    return -1;
}

std::vector<unsigned char> FactoryFile(int index)
{
    const FactoryPreset* preset = Factory(index);
    return preset ? ProgramFile(preset->name, FactoryValues(index)) : std::vector<unsigned char>{};
}

bool SameName(std::string_view a, std::string_view b) noexcept
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::vector<unsigned char> StateChunk(const Values& values)
{
    float sliders[kChunkFloats] = {};
    sliders[0] = TVexl::kStateMarker;
    for (int i = 0; i < kParameterTableSize; ++i)
        sliders[kParameterTable[i].slider] = static_cast<float>(values[static_cast<std::size_t>(i)]);
    std::vector<unsigned char> chunk;
    chunk.reserve(sizeof sliders);
    for (const float value : sliders)
        PutFloat(chunk, value);
    return chunk;
}

std::vector<unsigned char> ProgramFile(const std::string& name, const Values& values)
{
    preset_file::Program program;
    program.pluginId = kEffectUniqueId;
    program.name = name;
    program.chunk = StateChunk(values);
    return preset_file::WriteProgram(program, kEffectProgramVersion, kParameterTableSize);
}

FileReading ReadProgramFile(const unsigned char* data, std::size_t size)
{
    FileReading reading;
    try {
        preset_file::Contents contents;
        if (!preset_file::Read(data, size, contents, reading.problem)) return reading;
        if (contents.pluginId != kEffectUniqueId) {
            reading.problem =
                "is a preset for another plug-in (ID " + preset_file::FourCharacters(contents.pluginId) + ")";
            return reading;
        }
        reading.name = contents.program.name;
        if (contents.kind == preset_file::Kind::kProgramChunk) {
            const std::vector<unsigned char>& chunk = contents.program.chunk;
            const std::size_t floats = chunk.size() / 4;
            if (floats == 0 || GetFloat(chunk.data()) != TVexl::kStateMarker) {
                reading.problem = "holds a chunk this plug-in does not know";
                return reading;
            }
            for (int i = 0; i < kParameterTableSize; ++i) {
                const auto slider = static_cast<std::size_t>(kParameterTable[i].slider);
                if (slider >= floats) {
                    reading.problem = "is damaged: its chunk ends before its values do";
                    return reading;
                }
                reading.values[static_cast<std::size_t>(i)] = GetFloat(chunk.data() + 4 * slider);
            }
        } else if (contents.kind == preset_file::Kind::kProgramValues) {
            if (contents.program.values.size() != static_cast<std::size_t>(kParameterTableSize)) {
                reading.problem = "holds " + std::to_string(contents.program.values.size()) +
                                  " parameter values; the plug-in has " + std::to_string(kParameterTableSize);
                return reading;
            }
            for (int i = 0; i < kParameterTableSize; ++i) {
                const ParameterRow& row = kParameterTable[i];
                reading.values[static_cast<std::size_t>(i)] =
                    row.minimum + static_cast<double>(contents.program.values[static_cast<std::size_t>(i)]) *
                                      (row.maximum - row.minimum);
            }
        } else {
            reading.problem = "is a bank, not one preset";
            return reading;
        }
        for (const double value : reading.values)
            if (!std::isfinite(value)) {
                reading.problem = "holds a value that is no number";
                return reading;
            }
        reading.problem.clear();
        reading.readable = true;
    } catch (...) {
        reading.readable = false;
        reading.problem = "cannot be read (out of memory)";
    }
    return reading;
}

std::string UserFolder()
{
    try {
        const std::string folder = gui::UserSettingsFolder();
        return folder.empty() ? folder : folder + gui::UserSettingsSeparator() + "presets";
    } catch (...) {
        return {};
    }
}

std::vector<UserPreset> ListUserPresets() { return ListUserPresets(UserFolder()); }

std::vector<UserPreset> ListUserPresets(const std::string& folder)
{
    std::vector<UserPreset> list;
    if (folder.empty()) return list;
    try {
        std::error_code error;
        fs::directory_iterator entries(PathOf(folder), error);
        for (const fs::directory_entry& entry : error ? fs::directory_iterator() : entries) {
            std::error_code kind;
            const std::string fileName = Utf8(entry.path().filename());
            if (fileName.empty() || fileName[0] == '.' || entry.is_directory(kind)) continue;
            list.push_back(ReadUserFile(entry.path()));
        }
        std::sort(list.begin(), list.end(), [](const UserPreset& a, const UserPreset& b) {
            return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                                [](char x, char y) { return Lower(x) < Lower(y); });
        });
    } catch (...) {
        // What was listed before the failure stays listed.
    }
    return list;
}

std::string FileNameFor(const std::string& typed)
{
    const std::string name = Trimmed(typed);
    if (name.empty() || name.size() > kLongestUserName) return {};
    std::string file;
    const bool reserved = ReservedOnWindows(name);
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool refused = c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|%", static_cast<char>(c)) != nullptr;
        const bool escape = refused || (i == 0 && (c == '.' || reserved));
        if (escape) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            file += hex;
        } else {
            file += static_cast<char>(c);
        }
    }
    return file + ".fxp";
}

std::string NameFromFile(const std::string& fileName)
{
    std::string stem = fileName;
    if (stem.size() >= 4 && SameName(std::string_view(stem).substr(stem.size() - 4), ".fxp"))
        stem.resize(stem.size() - 4);
    std::string name;
    for (std::size_t i = 0; i < stem.size(); ++i) {
        unsigned value = 0;
        if (stem[i] == '%' && i + 2 < stem.size() && std::isxdigit(static_cast<unsigned char>(stem[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(stem[i + 2])) &&
            std::sscanf(stem.c_str() + i + 1, "%2x", &value) == 1) {
            name += static_cast<char>(value);
            i += 2;
        } else {
            name += stem[i];
        }
    }
    return name;
}

SaveResult SaveUserPreset(const std::string& name, const Values& values, bool replace)
{
    return SaveUserPreset(UserFolder(), name, values, replace);
}

SaveResult SaveUserPreset(const std::string& folder, const std::string& typed, const Values& values, bool replace)
{
    SaveResult result;
    try {
        const std::string name = Trimmed(typed);
        const std::string fileName = FileNameFor(name);
        if (fileName.empty()) {
            result.status = SaveStatus::kBadName;
            result.message = name.empty() ? "a preset needs a name"
                                          : "a preset's name is at most " + std::to_string(kLongestUserName) + " bytes";
            return result;
        }
        if (folder.empty()) {
            result.message = "there is no folder for user presets (neither HOME nor XDG_CONFIG_HOME is set)";
            return result;
        }
        const fs::path place = PathOf(folder);
        const fs::path target = place / PathOf(fileName);
        result.file = Utf8(target);
        std::error_code error;
        // One of that name, in any case: a case-blind file system would replace it.
        bool exists = fs::exists(target, error);
        for (const UserPreset& preset : ListUserPresets(folder))
            if (SameName(preset.name, name)) {
                exists = true;
                if (!replace) result.file = preset.file;
            }
        if (exists && !replace) {
            result.status = SaveStatus::kExists;
            return result;
        }
        fs::create_directories(place, error);
        if (error) {
            result.message = "cannot make the folder " + folder + ": " + error.message();
            return result;
        }
        const std::vector<unsigned char> bytes = ProgramFile(name, values);
        const fs::path temporary = place / PathOf("." + fileName + ".saving");
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (!out) {
                result.message = "cannot write in " + folder + ": " + std::strerror(errno);
                return result;
            }
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            out.close();
            if (!out) {
                fs::remove(temporary, error);
                result.message = "cannot write " + result.file + " (is the disk full?)";
                return result;
            }
        }
        // Another spelling of the same name (in case) goes, so the name is kept once.
        for (const UserPreset& preset : ListUserPresets(folder))
            if (SameName(preset.name, name) && PathOf(preset.file).filename() != target.filename())
                fs::remove(PathOf(preset.file), error);
#ifdef _WIN32
        fs::remove(target, error);
#endif
        fs::rename(temporary, target, error);
        if (error) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            result.message = "cannot write " + result.file + ": " + error.message();
            return result;
        }
        result.status = SaveStatus::kSaved;
    } catch (const std::exception& error) {
        result.status = SaveStatus::kFailed;
        result.message = std::string("cannot save the preset: ") + error.what();
    } catch (...) {
        result.status = SaveStatus::kFailed;
        result.message = "cannot save the preset";
    }
    return result;
}

} // namespace presets
