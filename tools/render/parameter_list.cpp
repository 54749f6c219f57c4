#include "tools/render/parameter_list.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace render {

std::string ParameterListing(hostkit::PluginInstance& plugin)
{
    struct Row {
        std::string name, display;
        float normalised;
    };
    std::vector<Row> rows;
    std::size_t nameWidth = 4, displayWidth = 7;
    for (int i = 0; i < plugin.effect()->numParams; ++i) {
        Row row{plugin.ParameterName(i), plugin.ParameterDisplay(i), plugin.GetParameter(i)};
        if (const std::string label = plugin.ParameterLabel(i); !label.empty()) row.display += " " + label;
        nameWidth = std::max(nameWidth, row.name.size());
        displayWidth = std::max(displayWidth, row.display.size());
        rows.push_back(std::move(row));
    }

    std::string listing;
    char line[1024];
    std::snprintf(line, sizeof line, "%5s  %-*s  %-*s  %s\n", "index", static_cast<int>(nameWidth), "name",
                  static_cast<int>(displayWidth), "display", "normalised");
    listing += line;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::snprintf(line, sizeof line, "%5zu  %-*s  %-*s  %.6f\n", i, static_cast<int>(nameWidth),
                      rows[i].name.c_str(), static_cast<int>(displayWidth), rows[i].display.c_str(),
                      static_cast<double>(rows[i].normalised));
        listing += line;
    }
    return listing;
}

} // namespace render
