#include "core/preset_file.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

namespace preset_file {
namespace {

constexpr int32_t FourCC(const char (&code)[5])
{
    return static_cast<int32_t>((static_cast<uint32_t>(code[0]) << 24) | (static_cast<uint32_t>(code[1]) << 16) |
                                (static_cast<uint32_t>(code[2]) << 8) | static_cast<uint32_t>(code[3]));
}

constexpr int32_t kFileMagic = FourCC("CcnK");
constexpr int32_t kProgramValues = FourCC("FxCk");
constexpr int32_t kProgramChunk = FourCC("FPCh");
constexpr int32_t kBankValues = FourCC("FxBk");
constexpr int32_t kBankChunk = FourCC("FBCh");

// Offsets within a program record and a bank file.
constexpr std::size_t kProgramNameAt = 28;
constexpr std::size_t kProgramNameSize = kLongestName + 1;
constexpr std::size_t kProgramDataAt = 56;
constexpr std::size_t kBankCurrentAt = 28;
constexpr std::size_t kBankDataAt = 156;

constexpr const char* kCut = "is damaged: it ends before its contents do";

// A view of bytes that answers false instead of reading past its end.
class Bytes {
public:
    Bytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t size() const { return size_; }
    const unsigned char* at(std::size_t offset) const { return data_ + offset; }
    bool Has(std::size_t bytes) const { return bytes <= size_; }
    bool Int(std::size_t offset, int32_t& value) const
    {
        if (offset > size_ || size_ - offset < 4) return false;
        const unsigned char* p = data_ + offset;
        value = static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                                     (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]));
        return true;
    }
    std::string Text(std::size_t offset, std::size_t length) const
    {
        const char* p = reinterpret_cast<const char*>(data_ + offset);
        return std::string(p, strnlen(p, length));
    }
    Bytes Sub(std::size_t offset, std::size_t length) const { return Bytes(data_ + offset, length); }
    // A count read at `offset` of items of `unit` bytes that fit after `from`.
    bool Count(std::size_t offset, std::size_t unit, std::size_t from, std::size_t& count) const
    {
        int32_t value = 0;
        if (!Int(offset, value) || value < 0) return false;
        if (static_cast<std::size_t>(value) > (size_ - std::min(size_, from)) / unit) return false;
        count = static_cast<std::size_t>(value);
        return true;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
};

// The part of a 'CcnK' record that its byte count covers.
bool Record(const Bytes& whole, Bytes& record, std::string& problem)
{
    int32_t magic = 0;
    if (!whole.Int(0, magic) || magic != kFileMagic || !whole.Has(8)) {
        problem = "is not a VST preset file";
        return false;
    }
    std::size_t length = 0;
    if (!whole.Count(4, 1, 8, length)) {
        problem = kCut;
        return false;
    }
    record = whole.Sub(0, 8 + length);
    return true;
}

bool ReadValues(const Bytes& record, Program& program, std::string& problem)
{
    std::size_t count = 0;
    if (!record.Has(kProgramDataAt) || !record.Count(24, 4, kProgramDataAt, count)) {
        problem = kCut;
        return false;
    }
    record.Int(16, program.pluginId);
    program.name = record.Text(kProgramNameAt, kProgramNameSize);
    program.values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        int32_t bits = 0;
        record.Int(kProgramDataAt + 4 * i, bits);
        program.values[i] = std::bit_cast<float>(bits);
    }
    return true;
}

bool ReadChunk(const Bytes& record, std::size_t sizeAt, Program& program, std::string& problem)
{
    std::size_t size = 0;
    if (!record.Has(sizeAt + 4) || !record.Count(sizeAt, 1, sizeAt + 4, size)) {
        problem = kCut;
        return false;
    }
    record.Int(16, program.pluginId);
    program.chunk.assign(record.at(sizeAt + 4), record.at(sizeAt + 4) + size);
    return true;
}

bool ReadValueBank(const Bytes& bank, Contents& contents, std::string& problem)
{
    std::size_t programs = 0;
    if (!bank.Has(kBankDataAt) || !bank.Count(24, 8, kBankDataAt, programs)) {
        problem = kCut;
        return false;
    }
    std::size_t offset = kBankDataAt;
    for (std::size_t i = 0; i < programs; ++i) {
        std::size_t length = 0;
        if (!bank.Has(offset + 8) || !bank.Count(offset + 4, 1, offset + 8, length)) {
            problem = kCut;
            return false;
        }
        const Bytes record = bank.Sub(offset, 8 + length);
        int32_t magic = 0, kind = 0;
        if (!record.Int(0, magic) || !record.Int(8, kind) || magic != kFileMagic || kind != kProgramValues) {
            problem = "is damaged: program " + std::to_string(i) + " is not a parameter list";
            return false;
        }
        Program program;
        if (!ReadValues(record, program, problem)) return false;
        contents.programs.push_back(std::move(program));
        offset += 8 + length;
    }
    int32_t version = 0;
    bank.Int(12, version);
    if (version >= 2) bank.Int(kBankCurrentAt, contents.currentProgram);
    return true;
}

void PutInt(std::vector<unsigned char>& out, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(bits >> shift));
}

void PutZeros(std::vector<unsigned char>& out, std::size_t count) { out.insert(out.end(), count, 0); }

std::vector<unsigned char> Framed(const std::vector<unsigned char>& body)
{
    std::vector<unsigned char> file;
    PutInt(file, kFileMagic);
    PutInt(file, static_cast<int32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

} // namespace

std::string FourCharacters(int32_t code)
{
    const auto bits = static_cast<uint32_t>(code);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((bits >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", bits);
            return hex;
        }
        text += c;
    }
    return "'" + text + "'";
}

bool Read(const unsigned char* data, std::size_t size, Contents& contents, std::string& problem)
{
    contents = Contents{};
    Bytes record(nullptr, 0);
    if (!Record(Bytes(data, size), record, problem)) return false;
    int32_t kind = 0;
    if (!record.Has(20) || !record.Int(8, kind)) {
        problem = kCut;
        return false;
    }
    if (kind != kProgramValues && kind != kProgramChunk && kind != kBankValues && kind != kBankChunk) {
        problem = "is not a VST preset file (its kind is " + FourCharacters(kind) + ")";
        return false;
    }
    record.Int(16, contents.pluginId);
    record.Int(20, contents.pluginVersion);
    if (kind == kProgramValues) {
        contents.kind = Kind::kProgramValues;
        return ReadValues(record, contents.program, problem);
    }
    if (kind == kProgramChunk) {
        contents.kind = Kind::kProgramChunk;
        if (!ReadChunk(record, kProgramDataAt, contents.program, problem)) return false;
        contents.program.name = record.Text(kProgramNameAt, kProgramNameSize);
        return true;
    }
    if (kind == kBankChunk) {
        contents.kind = Kind::kBankChunk;
        return ReadChunk(record, kBankDataAt, contents.program, problem);
    }
    contents.kind = Kind::kBankValues;
    return ReadValueBank(record, contents, problem);
}

std::vector<unsigned char> WriteProgram(const Program& program, int32_t pluginVersion, int32_t parameterCount)
{
    const bool chunk = !program.chunk.empty();
    std::vector<unsigned char> body;
    PutInt(body, chunk ? kProgramChunk : kProgramValues);
    PutInt(body, 1);
    PutInt(body, program.pluginId);
    PutInt(body, pluginVersion);
    PutInt(body, chunk ? parameterCount : static_cast<int32_t>(program.values.size()));
    const std::size_t length = std::min(program.name.size(), kLongestName);
    body.insert(body.end(), program.name.begin(), program.name.begin() + static_cast<std::ptrdiff_t>(length));
    PutZeros(body, kProgramNameSize - length);
    if (chunk) {
        PutInt(body, static_cast<int32_t>(program.chunk.size()));
        body.insert(body.end(), program.chunk.begin(), program.chunk.end());
    } else {
        for (const float value : program.values)
            PutInt(body, std::bit_cast<int32_t>(value));
    }
    return Framed(body);
}

std::vector<unsigned char> WriteChunkBank(int32_t pluginId, int32_t pluginVersion, int32_t programCount,
                                          int32_t currentProgram, const std::vector<unsigned char>& chunk)
{
    std::vector<unsigned char> body;
    PutInt(body, kBankChunk);
    PutInt(body, 2);
    PutInt(body, pluginId);
    PutInt(body, pluginVersion);
    PutInt(body, programCount);
    PutInt(body, currentProgram);
    PutZeros(body, 124);
    PutInt(body, static_cast<int32_t>(chunk.size()));
    body.insert(body.end(), chunk.begin(), chunk.end());
    return Framed(body);
}

} // namespace preset_file
