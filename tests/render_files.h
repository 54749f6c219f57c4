#pragma once
// The renderer's end-to-end tests: a scratch folder, the built tolvanger-render run as a user
// runs it, and small audio files written and read with libsndfile.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace render_files {

namespace fs = std::filesystem;

struct Stereo {
    std::vector<float> left, right;
    std::size_t size() const { return left.size(); }
};

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "tolvanger-render-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        fs::create_directory(work());
    }
    ~TempFolder() { fs::remove_all(path_); }
    // Where the test's files and the renderer's outputs go; nothing else is written there.
    fs::path work() const { return path_ / "work"; }
    std::string operator/(const std::string& name) const { return (work() / name).string(); }
    const fs::path& root() const { return path_; }

    std::set<std::string> Contents() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(work()))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

struct RunResult {
    int status;
    std::string out, err;
};

inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline std::string ReadText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline RunResult Render(const TempFolder& folder, const std::vector<std::string>& args,
                        const std::string& environment = "")
{
    // Built in a stream: GCC 12 at -O3 warns falsely (-Wrestrict) on `"literal" + std::string`.
    std::ostringstream command;
    command << environment << ' ' << Quote(TOLVANGER_RENDER_PATH);
    for (const std::string& arg : args)
        command << ' ' << Quote(arg);
    const fs::path out = folder.root() / "stdout", err = folder.root() / "stderr";
    command << " >" << Quote(out.string()) << " 2>" << Quote(err.string()) << " </dev/null";
    const int status = std::system(command.str().c_str());
    return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

inline void WriteFile(const std::string& path, const std::vector<std::vector<float>>& channels, int rate,
                      int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = static_cast<int>(channels.size());
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> interleaved;
    for (std::size_t i = 0; i < channels[0].size(); ++i)
        for (const auto& channel : channels)
            interleaved.push_back(channel[i]);
    sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(channels[0].size()));
    sf_close(file);
}

inline void WriteStereo(const std::string& path, const Stereo& audio, int rate = 44100)
{
    WriteFile(path, {audio.left, audio.right}, rate);
}

struct FileAudio {
    SF_INFO info{};
    Stereo audio;
};

inline FileAudio ReadStereo(const std::string& path)
{
    FileAudio result;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &result.info);
    if (!file) {
        ADD_FAILURE() << "cannot read " << path;
        return result;
    }
    EXPECT_EQ(result.info.channels, 2);
    std::vector<float> interleaved(static_cast<std::size_t>(result.info.frames) * 2);
    sf_readf_float(file, interleaved.data(), result.info.frames);
    sf_close(file);
    for (std::size_t i = 0; i < interleaved.size(); i += 2) {
        result.audio.left.push_back(interleaved[i]);
        result.audio.right.push_back(interleaved[i + 1]);
    }
    return result;
}

// Tones, a bass line and noise bursts, loud enough to make the compressors work.
inline Stereo TestProgramme(std::size_t frames, int rate = 44100)
{
    Stereo audio;
    uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double white = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
        const double t = static_cast<double>(i) / rate;
        const double burst = std::fmod(t, 0.25) < 0.05 ? 1.0 : 0.1;
        const double bass = 0.4 * std::sin(2.0 * std::numbers::pi * 55.0 * t);
        const double tone = 0.2 * std::sin(2.0 * std::numbers::pi * 1234.5 * t);
        audio.left.push_back(static_cast<float>(bass + tone + 0.3 * burst * white));
        audio.right.push_back(static_cast<float>(bass - tone + 0.2 * burst * white));
    }
    return audio;
}

} // namespace render_files
