#pragma once
// Audio files through libsndfile: the input being rendered and the stereo output file.

#include <sndfile.h>

#include <cstdint>
#include <optional>
#include <string>

#include "tools/render/sample_format.h"

namespace render {

class AudioReader {
public:
    // Opens a mono or stereo file; anything else is a RenderError.
    explicit AudioReader(const std::string& path);
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    int channels() const { return info_.channels; }
    int sampleRate() const { return info_.samplerate; }
    int64_t frames() const { return info_.frames; }
    int format() const { return info_.format; }

    // Reads exactly `frames` interleaved frames; a file that ends sooner is an error.
    void Read(float* interleaved, int64_t frames);
    void Read(double* interleaved, int64_t frames);

private:
    std::string path_;
    SF_INFO info_{};
    SNDFILE* file_ = nullptr;
};

// The libsndfile format for the output: the container its extension names and the sample
// format asked for, or else the input's where the container holds it. A note tells of a
// sample format that had to change.
int ChooseOutputFormat(const std::string& outputPath, int inputFormat, int sampleRate,
                       std::optional<SampleFormat> requested, std::string* note);

// 16 or 24 for the integer formats whose output is dithered, else 0.
int DitheredBits(int format);

// A stereo file being written; `shownName` is the name errors speak of.
class AudioWriter {
public:
    AudioWriter(const std::string& path, const std::string& shownName, int format, int sampleRate);
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    void Write(const float* interleaved, int64_t frames);
    void Write(const double* interleaved, int64_t frames);
    // Left-justified 32-bit integers, written as they are (see Quantizer).
    void Write(const int32_t* interleaved, int64_t frames);
    // Finishes the file; errors on the way are a RenderError.
    void Close();

private:
    void Check(int64_t written, int64_t frames);

    std::string shownName_;
    SNDFILE* file_ = nullptr;
};

} // namespace render
