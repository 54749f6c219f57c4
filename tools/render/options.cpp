#include "tools/render/options.h"

#include <cerrno>
#include <cstdlib>

#include "tools/render/default_plugin.h"
#include "tools/render/render_error.h"

namespace render {
namespace {

constexpr int kMaxBlock = 65536;

int ParseBlock(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || errno != 0 || value < 1 || value > kMaxBlock)
        throw UsageError("--block takes a whole number of frames from 1 to " + std::to_string(kMaxBlock) + ", not '" +
                         text + "'");
    return static_cast<int>(value);
}

SampleFormat ParseFormat(const std::string& text)
{
    if (text == "float") return SampleFormat::Float;
    if (text == "pcm16") return SampleFormat::Pcm16;
    if (text == "pcm24") return SampleFormat::Pcm24;
    throw UsageError("--format takes float, pcm16 or pcm24, not '" + text + "'");
}

} // namespace

RenderOptions ParseOptions(int argc, const char* const* argv)
{
    RenderOptions options;
    options.pluginPath = DefaultPluginPath();
    std::vector<std::string> files;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= argc) throw UsageError(name + " needs a value");
            return argv[++i];
        };
        auto flag = [&](bool& target) {
            if (inlineValue) throw UsageError(name + " takes no value");
            target = true;
        };

        if (name == "-h" || name == "--help")
            flag(options.help);
        else if (name == "--version")
            flag(options.version);
        else if (name == "--plugin")
            options.pluginPath = value();
        else if (name == "--block")
            options.block = ParseBlock(value());
        else if (name == "--double")
            flag(options.useDouble);
        else if (name == "--keep-latency")
            flag(options.keepLatency);
        else if (name == "--set")
            options.settings.push_back(value());
        else if (name == "--preset")
            options.preset = value();
        else if (name == "--save-preset")
            options.savePreset = value();
        else if (name == "--list-params")
            flag(options.listParams);
        else if (name == "--format")
            options.format = ParseFormat(value());
        else if (name == "--snapshot")
            options.snapshot = value();
        else if (name == "--quiet")
            flag(options.quiet);
        else
            throw UsageError("unknown option '" + name + "' (see --help)");
    }
    if (options.help || options.version) return options;

    if (files.size() == 2) {
        options.input = files[0];
        options.output = files[1];
    } else if (files.size() == 1) {
        throw UsageError("give both an input and an output file (see --help)");
    } else if (files.size() > 2) {
        throw UsageError("too many files: '" + files[2] + "' (one input and one output)");
    } else if (!options.listParams && options.savePreset.empty() && options.snapshot.empty()) {
        throw UsageError("nothing to do: give an input and an output file (see --help)");
    }
    if (options.pluginPath.empty()) throw UsageError("no plug-in: give --plugin PATH");
    return options;
}

std::string HelpText()
{
    return "Usage: tolvanger-render [options] INPUT OUTPUT\n"
           "   or: tolvanger-render [options] --list-params | --save-preset FILE | --snapshot FILE\n"
           "\n"
           "Renders an audio file through a VST 2.4 plug-in, by default the Tolvanger library\n"
           "installed with this program, and reports the loudness before and after.\n"
           "\n"
           "Files:\n"
           "  INPUT                 a WAV, FLAC, AIFF or Ogg file, mono or stereo, processed at\n"
           "                        its own sample rate; a mono file feeds both channels\n"
           "  OUTPUT                a stereo file in the format its extension names (.wav,\n"
           "                        .flac, .aif or .aiff, .ogg); it is written under a temporary\n"
           "                        name and renamed when complete\n"
           "  --format F            sample format of OUTPUT: float, pcm16 or pcm24 (default:\n"
           "                        that of INPUT, where the output format can hold it);\n"
           "                        not for .ogg, which is always Vorbis-coded\n"
           "\n"
           "Processing:\n"
           "  --plugin PATH         the plug-in to load (default: Tolvanger.so in this\n"
           "                        program's folder, else in ../lib/vst from there, as\n"
           "                        /usr/lib/vst/Tolvanger.so for /usr/bin/tolvanger-render)\n"
           "  --block N             frames per processing call, 1 to 65536 (default 512)\n"
           "  --double              process 64-bit samples (processDoubleReplacing)\n"
           "  --keep-latency        leave the plug-in's delay in: the output has the input's\n"
           "                        length and lags by the latency the plug-in reports; by\n"
           "                        default the delay is taken out and the output lines up with\n"
           "                        the input\n"
           "\n"
           "Settings, applied in this order:\n"
           "  --preset FILE         load a .fxp (program) or .fxb (bank) file of this plug-in\n"
           "  --set NAME=VALUE      set a parameter by the name --list-params shows, to a value\n"
           "                        as the plug-in displays it: a number in its units\n"
           "                        (\"LO Compress=20\", \"Output=-1.5\") or an option text\n"
           "                        (\"Stereo/M-S=Stereo\"); may be repeated\n"
           "  --set INDEX=@X        set parameter INDEX (counted from 0) to the normalised\n"
           "                        value X, 0 to 1\n"
           "\n"
           "Other outputs:\n"
           "  --list-params         print every parameter: index, name, display text and\n"
           "                        normalised value\n"
           "  --save-preset FILE    save the settings as a .fxp or .fxb file; its program name\n"
           "                        is the file name without the extension\n"
           "  --snapshot FILE       after processing, open the plug-in's editor in a window of\n"
           "                        this program's own and save it as a PNG picture; without\n"
           "                        a usable $DISPLAY a virtual X server (Xvfb) is started for\n"
           "                        it; when there is no display at all the audio is rendered\n"
           "                        anyway and a message says so\n"
           "  --quiet               no report and no notes; errors are still shown\n"
           "  -h, --help            show this text\n"
           "  --version             show the version\n"
           "\n"
           "The report on standard output gives, for input and output, the integrated\n"
           "loudness (LUFS), the loudness range (LU), the sample peak (dBFS) and the true peak\n"
           "(dBTP) after EBU R128, and the speed as a multiple of real time. On a terminal a\n"
           "progress bar shows while files longer than 5 seconds are rendered.\n"
           "\n"
           "Exit status: 0 done, 1 failed (one line on standard error says why), 2 bad command\n"
           "line.\n";
}

std::string VersionText()
{
    return "tolvanger-render " TOLVANGER_VERSION "\n"
           "Renders audio through the Tolvanger mastering processor of Calder Forges.\n";
}

} // namespace render
