#pragma once
// --report-json: the run's report as one JSON object (the fields are listed in --help).

#include <string>

#include "tools/render/mastering.h"
#include "tools/render/options.h"

namespace render {

struct PluginIdentity {
    std::string path, name, vendor;
    int version = 0;
};

std::string ReportJson(const RenderOptions& options, const PluginIdentity& plugin, const RunReport& run);

} // namespace render
