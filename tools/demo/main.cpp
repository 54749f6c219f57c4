// tolvanger-demo: writes the demo programme as a 24-bit stereo WAV file.

#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/demo/programme.h"

int main(int argc, char** argv)
{
    if (argc != 2 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(argc == 2 ? stdout : stderr,
                     "Usage: tolvanger-demo OUTPUT.wav\n"
                     "Writes ten seconds of drums, bass and noise (44.1 kHz, stereo, 24-bit), the same\n"
                     "samples on every run, for trying out tolvanger-render.\n");
        return argc == 2 ? 0 : 2;
    }
    const std::string path = argv[1];
    const demo::StereoProgramme programme = demo::MakeProgramme();

    std::vector<double> interleaved;
    interleaved.reserve(programme.left.size() * 2);
    for (std::size_t i = 0; i < programme.left.size(); ++i) {
        interleaved.push_back(programme.left[i]);
        interleaved.push_back(programme.right[i]);
    }
    SF_INFO info{};
    info.samplerate = demo::kSampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "tolvanger-demo: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return 1;
    }
    const auto frames = static_cast<sf_count_t>(programme.left.size());
    const bool written = sf_writef_double(file, interleaved.data(), frames) == frames;
    if (sf_close(file) != 0 || !written) {
        std::fprintf(stderr, "tolvanger-demo: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
