// The README's command that masters a folder across machines with GNU parallel, run on this
// machine alone (--sshlogin :): every file's master has the same bytes as a -j batch of the
// same files gives, each job's exit status is its file's outcome, and its JSON report says
// what the batch's report says of that file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/render_files.h"

namespace {

using namespace render_files;
using nlohmann::json;

// The words of the README's `parallel` command, its continued lines joined.
std::vector<std::string> ReadmeCommand()
{
    std::ifstream readme(std::string(TOLVANGER_SOURCE_DIR) + "/README.md");
    std::string line, command;
    while (std::getline(readme, line)) {
        if (command.empty() && (line.rfind("    ", 0) != 0 || line.find(" parallel --sshlogin ") == std::string::npos))
            continue;
        command += line;
        if (command.back() != '\\') break;
        command.pop_back();
    }
    std::istringstream words(command);
    std::vector<std::string> result;
    for (std::string word; words >> word;)
        result.push_back(word);
    return result;
}

std::string Joined(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

std::string ValueAfter(const std::vector<std::string>& words, const std::string& option)
{
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == option) return words[i + 1];
    return "";
}

// The job log's exit value of each job, by the input it rendered.
std::map<std::string, int> JobExits(const std::string& path)
{
    std::map<std::string, int> exits;
    std::ifstream log(path);
    std::string line;
    std::getline(log, line); // the header
    while (std::getline(log, line)) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 9) continue;
        // The command ends with the input, in single quotes when its name needs them.
        const std::string& job = fields[8];
        const bool quoted = job.size() > 1 && job.back() == '\'';
        const auto start = quoted ? job.rfind('\'', job.size() - 2) + 1 : job.rfind(' ') + 1;
        exits[job.substr(start, job.size() - start - (quoted ? 1 : 0))] = std::stoi(fields[6]);
    }
    return exits;
}

json ReadJson(const std::string& path)
{
    std::ifstream file(path);
    return json::parse(file);
}

TEST(RenderMachines, TheReadmeParallelCommandOnThisMachineEqualsAJobsBatch)
{
    std::vector<std::string> command = ReadmeCommand();
    ASSERT_GE(command.size(), 4u) << "README.md has no `parallel` command";
    const auto hosts = std::find(command.begin(), command.end(), "--sshlogin");
    ASSERT_NE(hosts, command.end());
    *(hosts + 1) = ":";
    const auto render = std::find(command.begin(), command.end(), "tolvanger-render");
    const auto input = std::find(render, command.end(), "{}");
    ASSERT_NE(input, command.end());
    const std::string outputs = ValueAfter(command, "--output-dir");
    const std::string joblog = ValueAfter(command, "--joblog");
    const std::string pattern = ValueAfter(command, "--output-pattern");
    const std::string report = ValueAfter(command, "--report-json");
    ASSERT_FALSE(outputs.empty() || joblog.empty() || pattern.empty() || report.empty()) << Joined(command);
    ASSERT_EQ(ValueAfter(command, ":::"), "mixes/*.wav") << Joined(command);

    TempFolder folder;
    fs::create_directory(folder.work() / "mixes");
    fs::create_directory(folder.root() / "home");
    const std::vector<std::string> songs = {"intro", "song one", "song two"};
    for (std::size_t i = 0; i < songs.size(); ++i)
        WriteStereo(folder / ("mixes/" + songs[i] + ".wav"), TestProgramme(44100 + 20000 * i));
    // A damaged file fails alone, in both runs.
    std::ofstream(folder / "mixes/damaged.wav", std::ios::binary) << "RIFF\x10\0\0\0WAVEjunk";

    // The same settings as one -j batch: the renderer's words of the command but its own
    // output names, which the batch gives with {stem}.
    std::vector<std::string> batch(render, input);
    for (const char* option : {"--output-dir", "--output-pattern", "--report-json"})
        if (auto at = std::find(batch.begin(), batch.end(), option); at != batch.end()) batch.erase(at, at + 2);
    std::string batchPattern = pattern;
    batchPattern.replace(batchPattern.find("{/.}"), 4, "{stem}");
    batch.insert(batch.end(), {"-j", "2", "--output-dir", "batch", "--output-pattern", batchPattern, "--report-json",
                               "batch.json", "mixes/*.wav"});

    const std::string setting =
        "cd " + Quote(folder.work().string()) + " && HOME=" + Quote((folder.root() / "home").string()) +
        " PATH=" + Quote(fs::path(TOLVANGER_RENDER_PATH).parent_path().string()) + ":\"$PATH\" ";
    const std::string log = (folder.root() / "log").string();
    const int spread = std::system((setting + Joined(command) + " >" + Quote(log) + " 2>&1 </dev/null").c_str());
    const int single = std::system((setting + Joined(batch) + " >>" + Quote(log) + " 2>&1 </dev/null").c_str());
    SCOPED_TRACE(ReadText(log));
    ASSERT_TRUE(WIFEXITED(spread) && WIFEXITED(single));
    EXPECT_EQ(WEXITSTATUS(single), 1) << "a file failed";

    const std::map<std::string, int> exits = JobExits(folder / joblog);
    const json together = ReadJson(folder / "batch.json");
    ASSERT_EQ(together["files"].size(), songs.size() + 1);
    int unsuccessful = 0;
    for (const json& file : together["files"]) {
        const std::string name = file["input"].get<std::string>();
        const std::string stem = fs::path(name).stem().string();
        SCOPED_TRACE(name);
        ASSERT_EQ(exits.count(name), 1u) << "one job per file";
        const int exit = exits.at(name);
        unsuccessful += exit != 0;
        std::string master = pattern, own = report;
        master.replace(master.find("{/.}"), 4, stem);
        own.replace(own.find("{/.}"), 4, stem);
        const json alone = ReadJson(folder / own);
        ASSERT_EQ(alone["files"].size(), 1u);
        EXPECT_EQ(alone["files"][0]["status"], file["status"]);
        if (stem == "damaged") {
            EXPECT_EQ(file["status"], "failed");
            EXPECT_EQ(exit, 1);
            EXPECT_FALSE(fs::exists(folder.work() / outputs / master));
            continue;
        }
        EXPECT_EQ(exit, file["status"] == "ok" ? 0 : 3) << file["status"];
        const std::string spreadMaster = folder / (outputs + "/" + master);
        ASSERT_TRUE(fs::exists(spreadMaster));
        EXPECT_TRUE(ReadText(spreadMaster) == ReadText(folder / ("batch/" + master))) << "the same bytes";
        for (const char* field : {"input_loudness", "output_loudness", "gain", "dither", "parameters"})
            EXPECT_EQ(alone["files"][0][field], file[field]) << field;
    }
    // parallel's own status counts the jobs that did not end with 0.
    EXPECT_EQ(WEXITSTATUS(spread), unsuccessful);
    // Nothing half-written is left beside the masters.
    for (const auto& entry : fs::directory_iterator(folder.work() / outputs))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

} // namespace
