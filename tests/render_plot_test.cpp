// tolvanger-render's --plot pictures beside the masters: their folder is made as the output
// folder is, and a picture that cannot be written is told on its row, in the report and in
// the exit status without ever failing the master it belongs to.

#include <cairo.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/render_files.h"

namespace {

using namespace render_files;
using nlohmann::json;

int CountLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// The table's row of one song: the line that begins with its name.
std::string RowOf(const std::string& table, const std::string& name)
{
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(name, 0) == 0) return line;
    return "";
}

bool HasTemporaryFiles(const fs::path& folder)
{
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
    return false;
}

// Two songs with spaces in their names, as a user's album has them, a second and a half long.
const std::vector<std::string> kSongs = {"Song 1.wav", "Song 2.wav"};
const std::vector<std::size_t> kFrames = {44100, 66150};

void WriteSongs(const TempFolder& folder)
{
    for (std::size_t i = 0; i < kSongs.size(); ++i)
        WriteStereo(folder / kSongs[i], TestProgramme(kFrames[i]));
}

TEST(RenderPlot, TheAlbumCommandMakesTheMissingPlotFolderAndWritesEveryPicture)
{
    TempFolder folder;
    WriteSongs(folder);
    ASSERT_FALSE(fs::exists(folder / "plots"));
    // As typed in the song folder; the ceiling is raised so that only the pictures decide the status.
    std::vector<std::string> args = {"--target-lufs",   "-14",  "--album",       "--true-peak-max", "6",
                                     "--output-dir",    "out/", "--report-json", "report.json",     "--plot",
                                     "plots/{stem}.png"};
    args.insert(args.end(), kSongs.begin(), kSongs.end());
    const RunResult run = Render(folder, args, "cd " + Quote(folder.work().string()) + " &&");
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_EQ(run.err, "");

    std::ifstream file(folder / "report.json");
    const json report = json::parse(file);
    ASSERT_EQ(report["files"].size(), 2u);
    for (std::size_t i = 0; i < kSongs.size(); ++i) {
        const std::string stem = kSongs[i].substr(0, kSongs[i].size() - 4);
        SCOPED_TRACE(stem);
        EXPECT_EQ(ReadStereo(folder / ("out/" + kSongs[i])).audio.size(), kFrames[i]);
        const std::string row = RowOf(run.out, kSongs[i]);
        EXPECT_NE(row.find("out/" + kSongs[i]), std::string::npos) << run.out;
        EXPECT_EQ(row.find("fail"), std::string::npos) << run.out;
        EXPECT_EQ(report["files"][i]["status"], "ok");
        EXPECT_EQ(report["files"][i]["plot"], "plots/" + stem + ".png");
        EXPECT_TRUE(report["files"][i]["plot_error"].is_null());

        cairo_surface_t* picture = cairo_image_surface_create_from_png((folder / ("plots/" + stem + ".png")).c_str());
        EXPECT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS);
        EXPECT_EQ(cairo_image_surface_get_width(picture), 1200);
        EXPECT_EQ(cairo_image_surface_get_height(picture), 600);
        cairo_surface_destroy(picture);
    }
    EXPECT_FALSE(HasTemporaryFiles(folder.work()));
}

TEST(RenderPlot, APictureThatCannotBeWrittenIsToldButItsMasterIsWrittenAndReportedWritten)
{
    TempFolder folder;
    WriteSongs(folder);
    // A file where the pictures' folder should be: no user, not even root, can write there.
    std::ofstream(folder / "blocked") << "not a folder";
    const std::vector<std::string> common = {"--format", "pcm24", "--target-lufs", "-20", "--true-peak-max", "6"};

    std::vector<std::string> args = common;
    args.insert(args.end(), {"-j", "2", "--output-dir", folder / "out", "--report-json", folder / "report.json",
                             "--plot", folder / "blocked/{stem}.png"});
    for (const std::string& song : kSongs)
        args.push_back(folder / song);
    const RunResult run = Render(folder, args);
    EXPECT_EQ(run.status, 1) << "a picture asked for and not written is not a success";
    EXPECT_EQ(CountLines(run.err), 2) << run.err;

    std::ifstream file(folder / "report.json");
    const json report = json::parse(file);
    ASSERT_EQ(report["files"].size(), 2u);
    for (std::size_t i = 0; i < kSongs.size(); ++i) {
        SCOPED_TRACE(kSongs[i]);
        const std::string master = folder / ("out/" + kSongs[i]);
        // The master is whole, and the same as one rendered without a picture.
        EXPECT_EQ(ReadStereo(master).audio.size(), kFrames[i]);
        std::vector<std::string> plain = common;
        plain.insert(plain.end(), {folder / kSongs[i], folder / ("plain " + kSongs[i])});
        ASSERT_EQ(Render(folder, plain).status, 0);
        EXPECT_TRUE(ReadText(master) == ReadText(folder / ("plain " + kSongs[i])));

        const std::string row = RowOf(run.out, folder / kSongs[i]);
        EXPECT_NE(row.find(master), std::string::npos) << run.out;
        EXPECT_NE(row.find("no plot"), std::string::npos) << run.out;
        EXPECT_EQ(row.find("failed"), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(kSongs[i] + ": no plot: "), std::string::npos) << run.err;

        const json& entry = report["files"][i];
        EXPECT_EQ(entry["status"], "ok");
        EXPECT_EQ(entry["output"], master);
        EXPECT_TRUE(entry["error"].is_null());
        EXPECT_TRUE(entry["plot"].is_null());
        EXPECT_NE(entry["plot_error"].get<std::string>().find("blocked"), std::string::npos) << entry["plot_error"];
    }
    EXPECT_FALSE(HasTemporaryFiles(folder.work()));

    // A single render says so too, after writing its master and its report.
    const RunResult single =
        Render(folder, {"--plot", folder / "blocked/one.png", folder / kSongs[0], folder / "one.wav"});
    EXPECT_EQ(single.status, 1);
    EXPECT_EQ(CountLines(single.err), 1) << single.err;
    EXPECT_NE(single.err.find("no plot: "), std::string::npos) << single.err;
    EXPECT_NE(single.out.find("integrated"), std::string::npos) << single.out;
    EXPECT_EQ(ReadStereo(folder / "one.wav").audio.size(), kFrames[0]);
}

} // namespace
