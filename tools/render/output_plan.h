#pragma once
// Which file each input is rendered to, and the check that no output is one of the inputs.

#include <string>
#include <vector>

#include "tools/render/options.h"

namespace render {

struct FilePlan {
    std::string input;
    std::string output;
    std::string plot; // empty: no picture
};

// One plan per input: OUTPUT for a single file, else --output-pattern inside --output-dir.
// A pattern with an unknown field is a UsageError.
std::vector<FilePlan> PlanFiles(const RenderOptions& options);

// A UsageError when any file the run would write (audio, pictures, report, preset) is one of
// the files it reads (by name after links are followed, or as the same file on the same
// device), or when two of them are the same file. Nothing is touched before this passes.
void RefuseOverwritingInputs(const RenderOptions& options, const std::vector<FilePlan>& plans);

} // namespace render
