#pragma once
// Presets as every format, the editor and the renderer see them: the factory bank
// (core/factory_presets.h) and the user's own presets, one folder shared by every format and
// the renderer. A preset is a name and the thirty parameter values in the sliders' own units,
// in the host's parameter order; Plugin::LoadPreset (core/plugin.h) applies one as a single
// change.
//
// User presets are .fxp files (a VST 2.4 program holding the plug-in's state chunk, as any
// VST 2.4 host saves and loads it) in UserFolder(): $XDG_CONFIG_HOME/tolvanger/presets, else
// ~/.config/tolvanger/presets; %APPDATA%\Tolvanger\presets on Windows. A preset's name is its
// file name without ".fxp"; characters some file system refuses are escaped in the file name
// (see SaveUserPreset), so any name the user types can be kept and reads back the same.
//
// For the editor: list with ListUserPresets (factory presets with Factory), save the current
// values (Plugin::PresetValues) with SaveUserPreset, asking the user before calling it again
// with `replace` when it answers kExists, and load with Plugin::LoadPreset. None of these
// functions throws, and none runs on the audio thread: the file functions touch the disk and
// may take a while on a slow one, so the editor calls them on its own thread.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/factory_presets.h"

namespace presets {

// One value per host parameter (Plugin::kParameterCount, checked where both are known).
inline constexpr int kValueCount = kFactoryPresetValues;
using Values = std::array<double, kValueCount>;

// ---- The factory bank

// The presets, in the order hosts list them.
int FactoryCount() noexcept;
// Index 0 to FactoryCount() - 1; null for any other.
const FactoryPreset* Factory(int index) noexcept;
Values FactoryValues(int index) noexcept;
// The index of the preset of that name in any case, or -1.
int FindFactory(std::string_view name) noexcept;
// The preset's key: its name's letters and digits in lower case, words joined by "_"
// ("Wider M-S": "wider_m_s"). Its .fxp file is the key and ".fxp"; the CLAP provider uses it
// as the load key. Empty for a bad index.
std::string FactoryKey(int index);
// The index of the preset with that key, or -1.
int FindFactoryKey(std::string_view key) noexcept;
// The preset as a .fxp file's bytes (ProgramFile); empty for a bad index.
std::vector<unsigned char> FactoryFile(int index);

// Names compare without regard to case (ASCII letters), as users and file systems see them.
bool SameName(std::string_view a, std::string_view b) noexcept;

// ---- Files

// The plug-in's state chunk for these values (the chunk's marker, then sliders 1 to 64 as
// little-endian floats; sliders no parameter shows are 0, as the plug-in saves them).
std::vector<unsigned char> StateChunk(const Values& values);
// A .fxp program file of this plug-in holding that chunk, under the name (cut to 27 bytes).
std::vector<unsigned char> ProgramFile(const std::string& name, const Values& values);

// What a .fxp file holds, when it is one of this plug-in's programs.
struct FileReading {
    bool readable = false;
    std::string name;    // the program name inside the file
    Values values{};     // when readable
    std::string problem; // when not: what is wrong, in words that follow the file's name
};
// Takes a program file holding the state chunk or the thirty parameter values. Anything
// else (another plug-in's preset, a bank, a cut or damaged file, non-finite values) is
// unreadable.
FileReading ReadProgramFile(const unsigned char* data, std::size_t size);

// ---- The user's presets

// The folder, without a trailing separator, whether or not it exists; empty when the
// environment names no place for it (no HOME, no APPDATA).
std::string UserFolder();

struct UserPreset {
    std::string name; // from the file name, unescaped
    std::string file; // the file's path
    bool readable = false;
    std::string problem; // why not, when unreadable
    Values values{};     // when readable
};
// Every file in the folder, sorted by name in any case; hidden files (names starting with
// a dot) and folders are left out. A file that is not a .fxp, or is empty, damaged, too large
// or another plug-in's preset is listed as unreadable with the reason; a missing folder is an
// empty list. Never stops at a bad file.
std::vector<UserPreset> ListUserPresets();
std::vector<UserPreset> ListUserPresets(const std::string& folder);

enum class SaveStatus {
    kSaved,
    // A preset of that name (in any case) is there and `replace` was false: nothing written.
    kExists,
    // The name is empty, only spaces, or longer than kLongestUserName bytes.
    kBadName,
    // The folder could not be made or written (read-only, full, no place named).
    kFailed,
};
struct SaveResult {
    SaveStatus status = SaveStatus::kFailed;
    std::string file;    // where the preset is (or would have been) kept
    std::string message; // for kFailed and kBadName: what went wrong, for the user
};
inline constexpr std::size_t kLongestUserName = 100;

// Keeps the values as a user preset under the name the user typed (spaces around it are
// dropped; the file is written whole under another name first and then renamed, so a
// failure leaves any earlier preset as it was). Characters Linux or Windows refuse in file
// names ('/', '\', ':', '*', '?', '"', '<', '>', '|', control characters), '%' itself and a
// leading dot are written as %XX (their byte in hexadecimal), and so is the first letter of
// a name Windows reserves (CON, NUL, COM1, ...); listing undoes it. Makes the folder when
// it is missing.
SaveResult SaveUserPreset(const std::string& name, const Values& values, bool replace);
SaveResult SaveUserPreset(const std::string& folder, const std::string& name, const Values& values, bool replace);

// The file name (without the folder) a name is kept under, and the name back from one;
// FileNameFor is empty for a name SaveUserPreset refuses.
std::string FileNameFor(const std::string& name);
std::string NameFromFile(const std::string& fileName);

} // namespace presets
