#pragma once
// VST preset files in the layout every VST 2.4 host reads and writes: a program (.fxp) or a
// bank (.fxb), holding a plug-in's state chunk ('FPCh', 'FBCh') or its list of normalised
// parameter values ('FxCk', 'FxBk'). Headers are big-endian; a state chunk is kept as the
// plug-in's own bytes and a parameter value is a big-endian float.
//
// Only bytes in memory are handled here: reading and writing files, and what a plug-in makes
// of the contents, belong to the caller (the renderer through any VST 2.4 plug-in, the core's
// presets through this one). Nothing here throws but std::bad_alloc.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace preset_file {

// The longest program name the layout holds, less its terminator.
inline constexpr std::size_t kLongestName = 27;

enum class Kind { kProgramValues, kProgramChunk, kBankValues, kBankChunk };

// One program: a program file's, or one of a parameter bank's.
struct Program {
    int32_t pluginId = 0;
    std::string name;
    std::vector<float> values;        // a parameter list
    std::vector<unsigned char> chunk; // a state chunk
};

struct Contents {
    Kind kind = Kind::kProgramChunk;
    int32_t pluginId = 0;
    int32_t pluginVersion = 0;
    // A program's: the program (values or chunk and name). A chunk bank's: the chunk alone.
    Program program;
    // A parameter bank's programs, each checked whole, and the one it names as current
    // (0 for banks of the first version, which name none).
    std::vector<Program> programs;
    int32_t currentProgram = 0;
};

// A four-character code as text ('TLVG'), or in hexadecimal when a byte is not printable.
std::string FourCharacters(int32_t code);

// Takes a whole file's bytes. False, with `problem` saying what is wrong in words that follow
// the file's name ("is damaged: it ends before its contents do", "is not a VST preset
// file"), for bytes that are not one whole preset file; `contents` is then unspecified.
bool Read(const unsigned char* data, std::size_t size, Contents& contents, std::string& problem);

// The bytes of a program file: its chunk when the program has one, else its values. The
// name is cut to kLongestName bytes; `parameterCount` is the plug-in's count, which the
// layout records even beside a chunk.
std::vector<unsigned char> WriteProgram(const Program& program, int32_t pluginVersion, int32_t parameterCount);

// The bytes of a bank file that holds the plug-in's bank chunk.
std::vector<unsigned char> WriteChunkBank(int32_t pluginId, int32_t pluginVersion, int32_t programCount,
                                          int32_t currentProgram, const std::vector<unsigned char>& chunk);

} // namespace preset_file
