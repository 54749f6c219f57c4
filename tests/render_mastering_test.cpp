// tolvanger-render as a mastering tool, end to end: loudness targets checked with libebur128
// directly, dither checked by its error's level and spectrum, batches against single renders,
// interrupts, the JSON report and the picture, and the refusal to write over an input.

#include <cairo.h>
#include <ebur128.h>
#include <signal.h>
#include <spawn.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <nlohmann/json.hpp>
#include <thread>

#include "tests/render_files.h"

extern char** environ;

namespace {

using namespace render_files;
using nlohmann::json;

// Integrated loudness of files taken as one programme, measured here independently.
double Loudness(const std::vector<std::string>& paths)
{
    std::vector<ebur128_state*> states;
    for (const std::string& path : paths) {
        const FileAudio file = ReadStereo(path);
        ebur128_state* state = ebur128_init(2, static_cast<unsigned>(file.info.samplerate), EBUR128_MODE_I);
        std::vector<float> interleaved;
        for (std::size_t i = 0; i < file.audio.size(); ++i)
            interleaved.insert(interleaved.end(), {file.audio.left[i], file.audio.right[i]});
        ebur128_add_frames_float(state, interleaved.data(), file.audio.size());
        states.push_back(state);
    }
    double loudness = -std::numeric_limits<double>::infinity();
    ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    for (ebur128_state*& state : states)
        ebur128_destroy(&state);
    return loudness;
}

Stereo Scaled(Stereo audio, double gain)
{
    for (std::size_t i = 0; i < audio.size(); ++i) {
        audio.left[i] = static_cast<float>(audio.left[i] * gain);
        audio.right[i] = static_cast<float>(audio.right[i] * gain);
    }
    return audio;
}

// Loud and soft passages a second apart: 20 dB between them.
Stereo Dynamic(std::size_t frames)
{
    Stereo audio = TestProgramme(frames);
    for (std::size_t i = 0; i < frames; ++i)
        if ((i / 44100) % 2) {
            audio.left[i] *= 0.1f;
            audio.right[i] *= 0.1f;
        }
    return audio;
}

json ReadJson(const std::string& path)
{
    std::ifstream file(path);
    return json::parse(file);
}

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// Switches off everything that changes a quiet signal's level, so that the output is the
// input split into bands and summed again.
const std::vector<std::string> kPlain = {"--set", "Compressor=Off", "--set", "Transient=Off", "--set", "EQ=Off"};

TEST(RenderTarget, LandsWithinATenthOfALoudnessUnitOnLoudQuietAndDynamicProgrammes)
{
    TempFolder folder;
    struct Case {
        const char* name;
        Stereo audio;
    };
    const Case cases[] = {{"loud", TestProgramme(4 * 44100)},
                          {"quiet", Scaled(TestProgramme(4 * 44100), 0.01)},
                          {"dynamic", Dynamic(5 * 44100)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = folder / (std::string(c.name) + ".wav"), out = folder / "out.wav";
        WriteStereo(in, c.audio);
        const RunResult run = Render(
            folder, {"--target-lufs", "-16", "--true-peak-max", "6", "--report-json", folder / "report.json", in, out});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NEAR(Loudness({out}), -16.0, 0.1);
        const json file = ReadJson(folder / "report.json")["files"][0];
        EXPECT_NEAR(file["output_loudness"]["integrated"].get<double>(), Loudness({out}), 0.02);
        // 40 dB down, the quiet programme needs more than the Output parameter's 20 dB.
        const std::string stage = file["gain"]["stage"];
        EXPECT_EQ(stage, std::string(c.name) == "quiet" ? "plugin+renderer" : "plugin");
    }
}

TEST(RenderTarget, TruePeakAboveTheCeilingExitsWithStatusThreeAndOneLine)
{
    TempFolder folder;
    WriteStereo(folder / "in.wav", TestProgramme(3 * 44100));
    for (const bool strict : {false, true}) {
        SCOPED_TRACE(strict ? "--strict" : "default");
        std::vector<std::string> args = {"--target-lufs", "-8", "--report-json", folder / "report.json"};
        if (strict) args.push_back("--strict");
        args.insert(args.end(), {folder / "in.wav", folder / "out.wav"});
        const RunResult run = Render(folder, args);
        EXPECT_EQ(run.status, 3);
        ASSERT_EQ(CountLines(run.err), 1) << run.err;
        double peak = 0.0, ceiling = 0.0, over = 0.0;
        ASSERT_EQ(std::sscanf(run.err.c_str() + run.err.find("true peak"),
                              "true peak %lf dBTP is above the ceiling of %lf dBTP by %lf dB", &peak, &ceiling, &over),
                  3)
            << run.err;
        EXPECT_EQ(ceiling, -1.0);
        EXPECT_NEAR(over, peak - ceiling, 0.011);
        EXPECT_GT(over, 0.0);
        EXPECT_EQ(fs::exists(folder / "out.wav"), !strict);
        EXPECT_EQ(ReadJson(folder / "report.json")["files"][0]["status"], "over-ceiling");
        fs::remove(folder / "out.wav");
    }
}

TEST(RenderTarget, AlbumGivesEveryFileOneGainAndKeepsTheirRelativeLevels)
{
    TempFolder folder;
    WriteStereo(folder / "a.wav", TestProgramme(3 * 44100));
    WriteStereo(folder / "b.wav", Scaled(Dynamic(3 * 44100), 0.3));
    ASSERT_EQ(Render(folder, {"--output-dir", folder / "plain", folder / "a.wav", folder / "b.wav"}).status, 0);
    const RunResult run = Render(folder, {"--target-lufs", "-18", "--album", "--report-json", folder / "album.json",
                                          "--output-dir", folder / "album", folder / "a.wav", folder / "b.wav"});
    ASSERT_EQ(run.status, 0) << run.err;

    EXPECT_NEAR(Loudness({folder / "album/a.wav", folder / "album/b.wav"}), -18.0, 0.1);
    const double before = Loudness({folder / "plain/a.wav"}) - Loudness({folder / "plain/b.wav"});
    const double after = Loudness({folder / "album/a.wav"}) - Loudness({folder / "album/b.wav"});
    EXPECT_NEAR(after, before, 0.05);
    const json report = ReadJson(folder / "album.json");
    EXPECT_EQ(report["files"][0]["gain"]["db"], report["files"][1]["gain"]["db"]);
    EXPECT_NEAR(report["album_loudness"].get<double>(), -18.0, 0.1);
}

// The error a 16-bit file adds to the float signal it was made from.
std::vector<double> QuantisationError(const Stereo& integer, const Stereo& exact)
{
    std::vector<double> error;
    for (std::size_t i = 0; i < exact.size(); ++i)
        error.push_back((static_cast<double>(integer.left[i]) - exact.left[i]) * 32768.0);
    return error;
}

double Power(const std::vector<double>& x)
{
    double sum = 0.0;
    for (double v : x)
        sum += v * v;
    return sum / static_cast<double>(x.size());
}

TEST(RenderDither, QuietSineSurvivesSixteenBitsWithAFlatErrorOfTheExpectedLevel)
{
    TempFolder folder;
    const double amplitude = std::pow(10.0, -100.0 / 20.0);
    Stereo sine;
    for (int i = 0; i < 2 * 44100; ++i) {
        const auto x = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * 997.0 * i / 44100.0));
        sine.left.push_back(x);
        sine.right.push_back(x);
    }
    WriteStereo(folder / "sine.wav", sine);
    auto render = [&](const std::vector<std::string>& extra, const std::string& name) {
        std::vector<std::string> args = kPlain;
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {folder / "sine.wav", folder / name});
        const RunResult run = Render(folder, args);
        EXPECT_EQ(run.status, 0) << run.err;
        return ReadStereo(folder / name).audio;
    };
    const Stereo exact = render({}, "float.wav");
    const Stereo rounded = render({"--format", "pcm16", "--dither", "none"}, "none.wav");
    const Stereo tpdf = render({"--format", "pcm16", "--seed", "7"}, "tpdf.wav");
    const Stereo shaped = render({"--format", "pcm16", "--dither", "shaped"}, "shaped.wav");
    render({"--format", "pcm16", "--seed", "7"}, "again.wav");
    render({"--format", "pcm16", "--seed", "8"}, "other.wav");

    // A third of a step rounds away to nothing; dithered, the tone is still in the file.
    EXPECT_TRUE(std::all_of(rounded.left.begin(), rounded.left.end(), [](float x) { return x == 0.0f; }));
    double correlation = 0.0;
    for (std::size_t i = 0; i < exact.size(); ++i)
        correlation += static_cast<double>(tpdf.left[i]) * exact.left[i];
    EXPECT_GT(correlation / (static_cast<double>(exact.size()) * Power(std::vector<double>(1, amplitude)) / 2.0), 0.8);

    // Rounding (1/12 of a step squared) plus triangular dither (1/6): a quarter, -96.3 dBFS.
    const std::vector<double> error = QuantisationError(tpdf, exact);
    EXPECT_NEAR(10.0 * std::log10(Power(error) / (32768.0 * 32768.0)), -96.33, 1.0);
    EXPECT_LE(*std::max_element(error.begin(), error.end()), 1.5 + 1e-6);
    EXPECT_GE(*std::min_element(error.begin(), error.end()), -1.5 - 1e-6);
    // A flat spectrum: the first difference of white noise has twice its power. The shaped
    // error is itself a first difference, with three times the power in its difference.
    auto differenceRatio = [](const std::vector<double>& e) {
        std::vector<double> d;
        for (std::size_t i = 1; i < e.size(); ++i)
            d.push_back(e[i] - e[i - 1]);
        return Power(d) / Power(e);
    };
    EXPECT_NEAR(differenceRatio(error), 2.0, 0.1);
    EXPECT_NEAR(differenceRatio(QuantisationError(shaped, exact)), 3.0, 0.15);

    EXPECT_TRUE(ReadText(folder / "tpdf.wav") == ReadText(folder / "again.wav")) << "the same seed, the same bytes";
    EXPECT_FALSE(ReadText(folder / "tpdf.wav") == ReadText(folder / "other.wav"));
}

std::vector<std::string> BatchInputs(const TempFolder& folder, int count)
{
    std::vector<std::string> inputs;
    for (int i = 0; i < count; ++i) {
        const std::string path = folder / ("song" + std::to_string(i) + ".wav");
        WriteStereo(path, Scaled(i % 2 ? Dynamic(44100 + 3000 * i) : TestProgramme(44100 + 3000 * i), 0.3 + 0.1 * i));
        inputs.push_back(path);
    }
    return inputs;
}

TEST(RenderBatch, EightFilesOnTwoJobsEqualSingleRendersAndADamagedFileFailsAlone)
{
    TempFolder folder;
    std::vector<std::string> inputs = BatchInputs(folder, 8);
    std::ofstream(folder / "damaged.wav", std::ios::binary) << "RIFF\x10\0\0\0WAVEjunk";
    inputs.insert(inputs.begin() + 3, folder / "damaged.wav");
    const std::vector<std::string> common = {"--format", "pcm16", "--target-lufs", "-20", "--true-peak-max", "6"};

    std::vector<std::string> batch = common;
    batch.insert(batch.end(), {"-j", "2", "--output-dir", folder / "batch", "--output-pattern", "{stem}_master.wav",
                               "--report-json", folder / "batch.json"});
    batch.insert(batch.end(), inputs.begin(), inputs.end());
    const RunResult run = Render(folder, batch);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(CountLines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("damaged.wav: cannot read"), std::string::npos) << run.err;
    EXPECT_EQ(CountLines(run.out), 1 + 9) << "a header and a row per file:\n" << run.out;
    EXPECT_EQ(ReadJson(folder / "batch.json")["files"][3]["status"], "failed");

    for (int i = 0; i < 8; ++i) {
        const std::string stem = "song" + std::to_string(i);
        std::vector<std::string> single = common;
        single.insert(single.end(), {folder / (stem + ".wav"), folder / (stem + ".wav.single.wav")});
        ASSERT_EQ(Render(folder, single).status, 0);
        EXPECT_TRUE(ReadText(folder / ("batch/" + stem + "_master.wav")) ==
                    ReadText(folder / (stem + ".wav.single.wav")))
            << stem;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "batch"), fs::directory_iterator()), 8);
}

TEST(RenderBatch, InterruptLeavesNoPartialFile)
{
    TempFolder folder;
    std::vector<std::string> args = {TOLVANGER_RENDER_PATH, "--quiet", "-j", "2", "--output-dir", folder / "out"};
    for (int i = 0; i < 4; ++i) {
        const std::string path = folder / ("long" + std::to_string(i) + ".wav");
        WriteStereo(path, TestProgramme(60 * 44100));
        args.push_back(path);
    }
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, TOLVANGER_RENDER_PATH, nullptr, nullptr, argv.data(), environ), 0);

    // Interrupted while a file is being written, as Ctrl-C would.
    auto writing = [&] {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder / "out", error))
            if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!writing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(writing()) << "no render began";
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    for (const auto& entry : fs::directory_iterator(folder / "out")) {
        SCOPED_TRACE(entry.path().string());
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
        EXPECT_EQ(ReadStereo(entry.path().string()).audio.size(), 60u * 44100u) << "a finished file is whole";
    }
}

int PixelsNear(cairo_surface_t* picture, int r, int g, int b)
{
    const int width = cairo_image_surface_get_width(picture), height = cairo_image_surface_get_height(picture);
    const int stride = cairo_image_surface_get_stride(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, data + y * stride + 4 * x, 4);
            const int pr = (pixel >> 16) & 0xFF, pg = (pixel >> 8) & 0xFF, pb = pixel & 0xFF;
            count += std::abs(pr - r) + std::abs(pg - g) + std::abs(pb - b) < 30 ? 1 : 0;
        }
    return count;
}

TEST(RenderReport, JsonCarriesEveryFieldAndThePictureDrawsInputAndOutput)
{
    TempFolder folder;
    const std::vector<std::string> inputs = BatchInputs(folder, 2);
    std::vector<std::string> args = {
        "--target-lufs", "-15",          "--set",  "Output=-3",           "--format",      "pcm24",
        "--output-dir",  folder / "out", "--plot", folder / "{stem}.png", "--report-json", folder / "report.json"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const RunResult run = Render(folder, args);
    ASSERT_LE(run.status, 3) << run.err;

    const json report = ReadJson(folder / "report.json");
    EXPECT_EQ(report["program"], "tolvanger-render");
    EXPECT_EQ(report["plugin"]["name"], "Tolvanger");
    EXPECT_EQ(report["plugin"]["vendor"], "Calder Forges");
    EXPECT_TRUE(report["plugin"]["path"].is_string());
    EXPECT_EQ(report["target_lufs"], -15.0);
    EXPECT_EQ(report["true_peak_max"], -1.0);
    EXPECT_EQ(report["album"], false);
    ASSERT_EQ(report["parameters"].size(), 30u);
    EXPECT_EQ(report["parameters"][29]["display"], "-3.00");
    ASSERT_EQ(report["files"].size(), 2u);
    for (const json& file : report["files"]) {
        SCOPED_TRACE(file["input"].get<std::string>());
        EXPECT_TRUE(file["status"] == "ok" || file["status"] == "over-ceiling");
        EXPECT_TRUE(file["error"].is_null());
        EXPECT_EQ(file["sample_rate"], 44100);
        EXPECT_GE(file["seconds"].get<double>(), 1.0);
        EXPECT_GT(file["render_seconds"].get<double>(), 0.0);
        for (const char* side : {"input_loudness", "output_loudness"})
            for (const char* figure : {"integrated", "range", "sample_peak", "true_peak"})
                EXPECT_TRUE(file[side][figure].is_number()) << side << " " << figure;
        const double integrated = Loudness({file["output"].get<std::string>()});
        EXPECT_NEAR(file["output_loudness"]["integrated"].get<double>(), integrated, 0.05);
        EXPECT_NEAR(integrated, -15.0, 0.1);
        // The gain went to the Output parameter, from the -3 dB it was set to.
        EXPECT_EQ(file["gain"]["stage"], "plugin");
        EXPECT_NEAR(file["gain"]["plugin_output_db"].get<double>(), -3.0 + file["gain"]["db"].get<double>(), 1e-6);
        EXPECT_EQ(file["gain"]["renderer_db"], 0.0);
        EXPECT_TRUE(file["clipped_samples"].is_number_integer());
        EXPECT_EQ(file["non_finite_input_samples"], 0);
        EXPECT_EQ(file["non_finite_output_samples"], 0);
        EXPECT_EQ(file["dither"]["kind"], "tpdf");
        EXPECT_EQ(file["dither"]["bits"], 24);
        EXPECT_EQ(file["dither"]["seed"], 1);
        ASSERT_EQ(file["parameters"].size(), 30u);
        EXPECT_EQ(file["parameters"][29]["name"], "Output");
        EXPECT_EQ(file["parameters"][29]["display"].get<std::string>(), [&] {
            char text[16];
            std::snprintf(text, sizeof text, "%.2f", file["gain"]["plugin_output_db"].get<double>());
            return std::string(text);
        }());

        cairo_surface_t* picture = cairo_image_surface_create_from_png(file["plot"].get<std::string>().c_str());
        ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
        EXPECT_EQ(cairo_image_surface_get_width(picture), 1200);
        EXPECT_EQ(cairo_image_surface_get_height(picture), 600);
        // The input is drawn in blue and the output in orange, each over much of the width.
        EXPECT_GT(PixelsNear(picture, 31, 120, 181), 1500);
        EXPECT_GT(PixelsNear(picture, 255, 128, 13), 1500);
        cairo_surface_destroy(picture);
    }
}

TEST(RenderSafety, AnOutputThatIsAnInputIsRefusedAndTheInputKept)
{
    TempFolder folder;
    WriteStereo(folder / "in.wav", TestProgramme(4410));
    WriteStereo(folder / "b.wav", TestProgramme(4410));
    fs::create_symlink(folder / "in.wav", folder / "link.wav");
    fs::create_hard_link(folder / "in.wav", folder / "hard.wav");
    const std::string original = ReadText(folder / "in.wav");
    const std::string in = folder / "in.wav";

    struct Case {
        const char* what;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"the same name", {in, in}},
        {"another spelling of the name", {in, folder.work().string() + "/./in.wav"}},
        {"a link to it", {in, folder / "link.wav"}},
        {"a hard link to it", {in, folder / "hard.wav"}},
        {"a batch pattern in the input's folder", {"--output-dir", folder.work().string(), in, folder / "b.wav"}},
        {"a report over the input", {"--report-json", in, in, folder / "out.wav"}},
        {"two outputs of one name",
         {"--output-dir", folder / "out", "--output-pattern", "x.wav", in, folder / "b.wav"}},
    };
    const std::set<std::string> before = folder.Contents();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult run = Render(folder, c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(CountLines(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("refusing to write"), std::string::npos) << run.err;
        EXPECT_EQ(folder.Contents(), before);
        EXPECT_TRUE(ReadText(folder / "in.wav") == original) << "the input is untouched";
    }
}

TEST(RenderSafety, NonFiniteInputSamplesAreCountedAndNeverWritten)
{
    TempFolder folder;
    Stereo input = TestProgramme(22050);
    input.left[1000] = std::numeric_limits<float>::quiet_NaN();
    input.right[5000] = std::numeric_limits<float>::infinity();
    WriteStereo(folder / "in.wav", input);

    const RunResult run =
        Render(folder, {"--report-json", folder / "report.json", folder / "in.wav", folder / "out.wav"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Stereo out = ReadStereo(folder / "out.wav").audio;
    ASSERT_EQ(out.size(), input.size());
    EXPECT_TRUE(std::all_of(out.left.begin(), out.left.end(), [](float x) { return std::isfinite(x); }));
    EXPECT_TRUE(std::all_of(out.right.begin(), out.right.end(), [](float x) { return std::isfinite(x); }));
    const json file = ReadJson(folder / "report.json")["files"][0];
    EXPECT_EQ(file["non_finite_input_samples"], 2);
    EXPECT_EQ(file["non_finite_output_samples"], 0);
    EXPECT_NE(run.out.find("non-finite       2 in the input"), std::string::npos) << run.out;

    fs::remove(folder / "out.wav");
    const RunResult strict = Render(folder, {"--strict", folder / "in.wav", folder / "out.wav"});
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find("2 non-finite samples"), std::string::npos) << strict.err;
    EXPECT_FALSE(fs::exists(folder / "out.wav"));
}

} // namespace
