#include "tools/render/output_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <system_error>

#include "tools/render/render_error.h"

namespace render {
namespace {

namespace fs = std::filesystem;

std::string Expand(const std::string& pattern, const std::string& input, std::size_t index)
{
    const fs::path path(input);
    std::string extension = path.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::string name;
    for (std::size_t at = 0; at < pattern.size();) {
        if (pattern[at] != '{') {
            name += pattern[at++];
            continue;
        }
        const auto close = pattern.find('}', at);
        if (close == std::string::npos) throw UsageError("the pattern '" + pattern + "' has a '{' without '}'");
        const std::string field = pattern.substr(at + 1, close - at - 1);
        if (field == "stem")
            name += path.stem().string();
        else if (field == "ext")
            name += extension;
        else if (field == "index")
            name += std::to_string(index);
        else
            throw UsageError("the pattern '" + pattern + "' has an unknown field {" + field +
                             "} (there are {stem}, {ext} and {index})");
        at = close + 1;
    }
    return name;
}

// The file a name stands for: its absolute path with every link followed, and its device
// and inode when it exists.
struct Identity {
    fs::path resolved;
    std::optional<std::pair<dev_t, ino_t>> node;

    bool operator==(const Identity& other) const
    {
        return resolved == other.resolved || (node && other.node && *node == *other.node);
    }
};

Identity IdentityOf(const std::string& name)
{
    Identity identity;
    std::error_code error;
    identity.resolved = fs::weakly_canonical(fs::absolute(name, error), error);
    if (error) identity.resolved = fs::absolute(name, error).lexically_normal();
    struct stat status;
    if (stat(name.c_str(), &status) == 0) identity.node = std::make_pair(status.st_dev, status.st_ino);
    return identity;
}

} // namespace

std::vector<FilePlan> PlanFiles(const RenderOptions& options)
{
    std::vector<FilePlan> plans;
    for (std::size_t i = 0; i < options.inputs.size(); ++i) {
        FilePlan plan{options.inputs[i], options.output, {}};
        if (options.batch())
            plan.output = (fs::path(options.outputDir) / Expand(options.outputPattern, plan.input, i + 1)).string();
        if (!options.plot.empty()) plan.plot = Expand(options.plot, plan.input, i + 1);
        plans.push_back(plan);
    }
    return plans;
}

void RefuseOverwritingInputs(const RenderOptions& options, const std::vector<FilePlan>& plans)
{
    std::vector<std::pair<std::string, Identity>> reads, writes;
    auto read = [&](const std::string& name) {
        if (!name.empty()) reads.emplace_back(name, IdentityOf(name));
    };
    auto write = [&](const std::string& name) {
        if (!name.empty()) writes.emplace_back(name, IdentityOf(name));
    };
    for (const FilePlan& plan : plans) {
        read(plan.input);
        write(plan.output);
        write(plan.plot);
    }
    read(options.preset);
    write(options.reportJson);
    write(options.savePreset);
    write(options.snapshot);

    for (std::size_t w = 0; w < writes.size(); ++w) {
        for (const auto& [name, identity] : reads)
            if (writes[w].second == identity)
                throw UsageError("refusing to write " + writes[w].first + ": it is the input " + name +
                                 "; choose another output name or folder");
        for (std::size_t other = 0; other < w; ++other)
            if (writes[w].second == writes[other].second)
                throw UsageError("refusing to write " + writes[w].first + " twice: " + writes[other].first +
                                 " is the same file; choose an output pattern that keeps the names apart");
    }
}

} // namespace render
