#include "tools/render/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "tools/render/default_plugin.h"
#include "tools/render/render_error.h"

namespace render {
namespace {

constexpr int kMaxBlock = 65536;
constexpr long kMaxJobs = 256;

std::string Trimmed(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

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

double ParseNumber(const std::string& name, const std::string& text, double lowest, double highest)
{
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || errno != 0 || !(value >= lowest && value <= highest))
        throw UsageError(name + " takes a number from " + Trimmed(lowest) + " to " + Trimmed(highest) + ", not '" +
                         text + "'");
    return value;
}

unsigned ParseJobs(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != 0 || errno != 0 || value < 1 || value > kMaxJobs)
        throw UsageError("-j takes a number of jobs from 1 to " + std::to_string(kMaxJobs) + ", not '" + text + "'");
    return static_cast<unsigned>(value);
}

uint64_t ParseSeed(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != 0 || errno != 0)
        throw UsageError("--seed takes a whole number from 0 to 18446744073709551615, not '" + text + "'");
    return value;
}

DitherKind ParseDither(const std::string& text)
{
    if (text == "none") return DitherKind::None;
    if (text == "tpdf") return DitherKind::Tpdf;
    if (text == "shaped") return DitherKind::Shaped;
    throw UsageError("--dither takes none, tpdf or shaped, not '" + text + "'");
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
        else if (name == "--list-presets")
            flag(options.listPresets);
        else if (name == "--format")
            options.format = ParseFormat(value());
        else if (name == "--output-dir")
            options.outputDir = value();
        else if (name == "--output-pattern")
            options.outputPattern = value();
        else if (name == "-j" || name == "--jobs")
            options.jobs = ParseJobs(value());
        else if (name.rfind("-j", 0) == 0 && name.size() > 2 && name[2] != '-')
            options.jobs = ParseJobs(name.substr(2));
        else if (name == "--target-lufs")
            options.targetLufs = ParseNumber(name, value(), -70.0, 0.0);
        else if (name == "--true-peak-max")
            options.truePeakMax = ParseNumber(name, value(), -60.0, 6.0);
        else if (name == "--album")
            flag(options.album);
        else if (name == "--strict")
            flag(options.strict);
        else if (name == "--dither")
            options.dither = ParseDither(value());
        else if (name == "--seed")
            options.seed = ParseSeed(value());
        else if (name == "--report-json")
            options.reportJson = value();
        else if (name == "--plot")
            options.plot = value();
        else if (name == "--snapshot")
            options.snapshot = value();
        else if (name == "--quiet")
            flag(options.quiet);
        else
            throw UsageError("unknown option '" + name + "' (see --help)");
    }
    if (options.help || options.version) return options;

    if (!options.outputDir.empty()) {
        if (files.empty()) throw UsageError("--output-dir needs at least one input file (see --help)");
        options.inputs = files;
    } else if (files.size() == 2) {
        options.inputs = {files[0]};
        options.output = files[1];
    } else if (files.size() == 1) {
        throw UsageError("give both an input and an output file, or --output-dir (see --help)");
    } else if (files.size() > 2) {
        throw UsageError("too many files: '" + files[2] + "' (one input and one output, or --output-dir DIR)");
    } else if (!options.listParams && !options.listPresets && options.savePreset.empty() && options.snapshot.empty()) {
        throw UsageError("nothing to do: give an input and an output file (see --help)");
    }
    if (options.album && !options.targetLufs) throw UsageError("--album needs --target-lufs");
    if (options.targetLufs && !options.truePeakMax) options.truePeakMax = -1.0;
    if (!options.rendersAudio() && (options.targetLufs || !options.reportJson.empty() || !options.plot.empty()))
        throw UsageError("--target-lufs, --report-json and --plot need files to render");
    if (options.inputs.size() > 1 && !options.plot.empty() && options.plot.find("{stem}") == std::string::npos)
        throw UsageError("--plot for several files needs a pattern with {stem}, such as plots/{stem}.png");
    if (options.pluginPath.empty()) throw UsageError("no plug-in: give --plugin PATH");
    return options;
}

std::string HelpText()
{
    return "Usage: tolvanger-render [options] INPUT OUTPUT\n"
           "   or: tolvanger-render [options] --output-dir DIR INPUT...\n"
           "   or: tolvanger-render [options] --list-params | --save-preset FILE | --snapshot FILE\n"
           "   or: tolvanger-render --list-presets\n"
           "\n"
           "Renders audio files through a VST 2.4 plug-in, by default the Tolvanger library\n"
           "installed with this program, and reports the loudness before and after. It can\n"
           "bring each file, or a whole album, to a loudness target, check a true-peak\n"
           "ceiling, write dithered 16- or 24-bit files, render many files at once and keep a\n"
           "report as JSON and as a picture.\n"
           "\n"
           "Files:\n"
           "  INPUT                 a WAV, FLAC, AIFF or Ogg file, mono or stereo, processed at\n"
           "                        its own sample rate; a mono file feeds both channels\n"
           "  OUTPUT                a stereo file in the format its extension names (.wav,\n"
           "                        .flac, .aif or .aiff, .ogg); it is written under a temporary\n"
           "                        name in its folder and renamed when complete\n"
           "  --output-dir DIR      render every INPUT into the folder DIR (made if missing)\n"
           "  --output-pattern P    the output names in DIR: {stem} is the input's name without\n"
           "                        its extension, {ext} its extension, {index} its place on\n"
           "                        the command line from 1 (default {stem}.{ext}); for\n"
           "                        example {stem}_master.flac\n"
           "  -j N, --jobs N        render N files at a time, each through its own instance of\n"
           "                        the plug-in (default: one per processor core)\n"
           "  --format F            sample format of the output: float, pcm16 or pcm24\n"
           "                        (default: that of the input, where the output format can\n"
           "                        hold it); not for .ogg, which is always Vorbis-coded\n"
           "\n"
           "No output is ever written over an input: an output that is an input, by its name,\n"
           "through a link or as the same file under another name, is refused before any work,\n"
           "as are two outputs with the same name.\n"
           "\n"
           "Loudness:\n"
           "  --target-lufs L       render, measure, and render again with the gain that brings\n"
           "                        the integrated loudness (EBU R128) to L LUFS, within 0.1 LU;\n"
           "                        the gain goes to the plug-in's Output parameter where it\n"
           "                        can (so that --save-preset keeps it), else, for what lies\n"
           "                        beyond that parameter's range, to a gain stage of the\n"
           "                        renderer after the plug-in; the report says which\n"
           "  --album               with --target-lufs: measure all inputs as one programme and\n"
           "                        give every file the same gain, keeping their relative levels\n"
           "  --true-peak-max T     the true-peak ceiling in dBTP (default -1 with a target);\n"
           "                        the processor has no limiter, so a file above it is an\n"
           "                        error: exit status 3 and a line with the true peak, the\n"
           "                        ceiling and the overshoot; the file is still written\n"
           "  --strict              write no file that is above the ceiling, and fail a file\n"
           "                        whose input holds non-finite samples (NaN or infinity)\n"
           "\n"
           "Integer output:\n"
           "  --dither D            none, tpdf (triangular, 2 LSB wide) or shaped (triangular,\n"
           "                        with the error pushed towards high frequencies); the\n"
           "                        default is tpdf for 16- and 24-bit output; float output\n"
           "                        has none\n"
           "  --seed N              where the dither's random numbers start (default 1): the\n"
           "                        same seed gives the same bytes, for every file of a batch\n"
           "Samples beyond full scale are clipped to it and counted, never wrapped around.\n"
           "Non-finite input samples are fed to the plug-in as silence, and the output never\n"
           "carries any: both are counted in the report.\n"
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
           "  --preset FILE|NAME    load a .fxp (program) or .fxb (bank) file of this plug-in,\n"
           "                        or a Tolvanger preset by its name in any case: a factory\n"
           "                        preset or one of your own (see --list-presets); a file of\n"
           "                        that name comes first\n"
           "  --set NAME=VALUE      set a parameter by the name --list-params shows, to a value\n"
           "                        as the plug-in displays it: a number in its units\n"
           "                        (\"LO Compress=20\", \"Output=-1.5\") or an option text\n"
           "                        (\"Stereo/M-S=Stereo\"); may be repeated\n"
           "  --set INDEX=@X        set parameter INDEX (counted from 0) to the normalised\n"
           "                        value X, 0 to 1\n"
           "\n"
           "Other outputs:\n"
           "  --report-json FILE    write the report of every file as JSON (see Report file)\n"
           "  --plot FILE.png       draw the input's and the output's loudness over time, 1200\n"
           "                        by 600 pixels; for several inputs a pattern with {stem};\n"
           "                        its folder is made if missing; a picture that cannot be\n"
           "                        written is said on the file's row and in the exit status,\n"
           "                        and its master is written all the same\n"
           "  --list-params         print every parameter: index, name, display text and\n"
           "                        normalised value\n"
           "  --list-presets        print the factory presets, each with the line that says\n"
           "                        what it is for, and your own presets (kept as .fxp files\n"
           "                        in $XDG_CONFIG_HOME/tolvanger/presets, else\n"
           "                        ~/.config/tolvanger/presets), with any that cannot be read\n"
           "  --save-preset FILE    save the settings as a .fxp or .fxb file; its program name\n"
           "                        is the file name without the extension; with a target, the\n"
           "                        Output parameter as the (first) file was rendered with\n"
           "  --snapshot FILE       after processing, open the plug-in's editor in a window of\n"
           "                        this program's own and save it as a PNG picture; without\n"
           "                        a usable $DISPLAY a virtual X server (Xvfb) is started for\n"
           "                        it; when there is no display at all the audio is rendered\n"
           "                        anyway and a message says so\n"
           "  --quiet               no report and no notes; errors are still shown\n"
           "  -h, --help            show this text\n"
           "  --version             show the version\n"
           "\n"
           "Report:\n"
           "The report on standard output gives, for input and output, the integrated\n"
           "loudness (LUFS), the loudness range (LU), the sample peak (dBFS) and the true peak\n"
           "(dBTP) after EBU R128, and the speed as a multiple of real time; with\n"
           "--output-dir, one table with a row per file. On a terminal a progress bar shows\n"
           "the files done and the time left.\n"
           "\n"
           "Report file:\n"
           "--report-json writes one object: \"program\" and \"version\" of this renderer,\n"
           "\"plugin\" (\"path\", \"name\", \"vendor\", \"version\"), \"target_lufs\" and\n"
           "\"true_peak_max\" (null when not given), \"album\" (true or false), \"album_loudness\"\n"
           "(the output's integrated loudness of all files together, with --album),\n"
           "\"parameters\" (a list of \"index\", \"name\", \"display\", \"label\" as set before any\n"
           "gain), and \"files\", a list with one object per input: \"input\", \"output\", \"plot\"\n"
           "(the picture, or null), \"plot_error\" (why it was not written, or null), \"status\"\n"
           "(\"ok\", \"over-ceiling\", \"failed\"), \"error\" (the reason, or null), \"seconds\"\n"
           "(audio length), \"render_seconds\" (time taken), \"sample_rate\", \"input_loudness\"\n"
           "and \"output_loudness\" (each with \"integrated\", \"range\", \"sample_peak\",\n"
           "\"true_peak\"; null where there is no figure, as for silence), \"gain\" (\"db\" the\n"
           "gain applied for the target, \"plugin_output_db\" the Output parameter used,\n"
           "\"renderer_db\" the renderer's own gain stage, \"stage\" one of \"none\", \"plugin\",\n"
           "\"renderer\", \"plugin+renderer\"), \"clipped_samples\", \"non_finite_input_samples\",\n"
           "\"non_finite_output_samples\", \"dither\" (\"kind\", \"bits\", \"seed\"; kind \"none\" for\n"
           "float output) and \"parameters\" (as above, as this file was rendered).\n"
           "\n"
           "Exit status: 0 done, 1 failed (one line on standard error says why; in a batch,\n"
           "one line per failed file, the others are still rendered) or a --plot picture not\n"
           "written (its master is), 2 bad command line, 3 a file is above the true-peak\n"
           "ceiling, 130 interrupted (Ctrl-C); an interrupted run leaves no partial file.\n";
}

std::string VersionText()
{
    return "tolvanger-render " TOLVANGER_VERSION "\n"
           "Renders audio through the Tolvanger mastering processor of Calder Forges.\n";
}

} // namespace render
