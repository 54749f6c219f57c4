#include "tools/render/audio_file.h"
#include "tools/render/file_names.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "tools/render/render_error.h"

namespace render {

AudioReader::AudioReader(const std::string& path) : path_(path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0) throw RenderError("cannot read " + path + ": " + std::strerror(errno));
    if (S_ISDIR(status.st_mode)) throw RenderError("cannot read " + path + ": it is a folder");
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (!file_) throw RenderError("cannot read " + path + ": " + sf_strerror(nullptr));
    if (info_.channels != 1 && info_.channels != 2) {
        const int channels = info_.channels;
        sf_close(file_);
        file_ = nullptr;
        throw RenderError(path + " has " + std::to_string(channels) +
                          " channels; only mono and stereo files can be rendered");
    }
}

AudioReader::~AudioReader()
{
    if (file_) sf_close(file_);
}

void AudioReader::Read(float* interleaved, int64_t frames)
{
    if (sf_readf_float(file_, interleaved, frames) != frames)
        throw RenderError("cannot read " + path_ + ": the file ends before its stated length");
}

void AudioReader::Read(double* interleaved, int64_t frames)
{
    if (sf_readf_double(file_, interleaved, frames) != frames)
        throw RenderError("cannot read " + path_ + ": the file ends before its stated length");
}

namespace {

struct Container {
    const char* extension;
    int format;
    const char* name;
};

constexpr Container kContainers[] = {
    {"wav", SF_FORMAT_WAV, "WAV"},    {"flac", SF_FORMAT_FLAC, "FLAC"}, {"aif", SF_FORMAT_AIFF, "AIFF"},
    {"aiff", SF_FORMAT_AIFF, "AIFF"}, {"ogg", SF_FORMAT_OGG, "Ogg"},
};

int Subtype(SampleFormat format)
{
    switch (format) {
    case SampleFormat::Float:
        return SF_FORMAT_FLOAT;
    case SampleFormat::Pcm16:
        return SF_FORMAT_PCM_16;
    case SampleFormat::Pcm24:
        return SF_FORMAT_PCM_24;
    }
    return SF_FORMAT_FLOAT;
}

const char* SubtypeName(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_FLOAT:
        return "float";
    case SF_FORMAT_DOUBLE:
        return "64-bit float";
    case SF_FORMAT_PCM_16:
        return "16-bit";
    case SF_FORMAT_PCM_24:
        return "24-bit";
    case SF_FORMAT_PCM_32:
        return "32-bit";
    default:
        return "its";
    }
}

bool Holds(int format, int sampleRate)
{
    SF_INFO info{};
    info.format = format;
    info.channels = 2;
    info.samplerate = sampleRate;
    return sf_format_check(&info) != 0;
}

} // namespace

int ChooseOutputFormat(const std::string& outputPath, int inputFormat, int sampleRate,
                       std::optional<SampleFormat> requested, std::string* note)
{
    const std::string extension = Extension(outputPath);
    const Container* container = nullptr;
    for (const Container& c : kContainers)
        if (extension == c.extension) container = &c;
    if (!container)
        throw RenderError("cannot tell the format of " + outputPath +
                          " from its name: use .wav, .flac, .aif, .aiff or .ogg");

    if (container->format == SF_FORMAT_OGG) {
        if (requested) throw RenderError("Ogg output is Vorbis-coded; --format does not apply to " + outputPath);
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    }
    if (requested) {
        const int format = container->format | Subtype(*requested);
        if (!Holds(format, sampleRate))
            throw RenderError(std::string(container->name) + " files cannot hold " + SubtypeName(Subtype(*requested)) +
                              " samples");
        return format;
    }
    const int inputSubtype = inputFormat & SF_FORMAT_SUBMASK;
    if (Holds(container->format | inputSubtype, sampleRate)) return container->format | inputSubtype;
    const int fallback = container->format == SF_FORMAT_FLAC ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
    if (!Holds(container->format | fallback, sampleRate))
        throw RenderError(std::string(container->name) + " files cannot be written at " + std::to_string(sampleRate) +
                          " Hz");
    if (note)
        *note = std::string(container->name) + " cannot hold the input's " + SubtypeName(inputSubtype) +
                " samples; writing " + SubtypeName(fallback) + " samples";
    return container->format | fallback;
}

AudioWriter::AudioWriter(const std::string& path, const std::string& shownName, int format, int sampleRate)
    : shownName_(shownName)
{
    SF_INFO info{};
    info.format = format;
    info.channels = 2;
    info.samplerate = sampleRate;
    file_ = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file_) throw RenderError("cannot write " + shownName + ": " + sf_strerror(nullptr));
    // Overs become full scale in integer files instead of wrapping around.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    // A float file's PEAK chunk carries the time of writing, and the same command must give
    // the same bytes; the peaks are in the report.
    sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_VORBIS) {
        double quality = 0.6;
        sf_command(file_, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
}

AudioWriter::~AudioWriter()
{
    if (file_) sf_close(file_);
}

void AudioWriter::Check(int64_t written, int64_t frames)
{
    if (written != frames) throw RenderError("cannot write " + shownName_ + ": " + sf_strerror(file_));
}

void AudioWriter::Write(const float* interleaved, int64_t frames)
{
    Check(sf_writef_float(file_, interleaved, frames), frames);
}

void AudioWriter::Write(const double* interleaved, int64_t frames)
{
    Check(sf_writef_double(file_, interleaved, frames), frames);
}

void AudioWriter::Write(const int32_t* interleaved, int64_t frames)
{
    Check(sf_writef_int(file_, interleaved, frames), frames);
}

int DitheredBits(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG) return 0;
    return subtype == SF_FORMAT_PCM_16 ? 16 : subtype == SF_FORMAT_PCM_24 ? 24 : 0;
}

void AudioWriter::Close()
{
    SNDFILE* file = file_;
    file_ = nullptr;
    if (sf_close(file) != 0) throw RenderError("cannot write " + shownName_ + ": the file could not be finished");
}

} // namespace render
