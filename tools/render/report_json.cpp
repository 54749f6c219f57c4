#include "tools/render/report_json.h"

#include <cmath>
#include <cstdio>

namespace render {
namespace {

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// JSON has no infinity: a figure that does not exist (the loudness of silence) is null.
std::string Number(double value)
{
    if (!std::isfinite(value)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string Optional(const std::optional<double>& value) { return value ? Number(*value) : "null"; }

const char* DitherName(DitherKind kind)
{
    switch (kind) {
    case DitherKind::Tpdf:
        return "tpdf";
    case DitherKind::Shaped:
        return "shaped";
    case DitherKind::None:
        break;
    }
    return "none";
}

std::string Figures(const LoudnessFigures& figures)
{
    return "{\"integrated\": " + Number(figures.integrated) + ", \"range\": " + Number(figures.range) +
           ", \"sample_peak\": " + Number(figures.samplePeak) + ", \"true_peak\": " + Number(figures.truePeak) + "}";
}

std::string Parameters(const std::vector<ParameterText>& parameters, const std::string& indent)
{
    std::string out = "[";
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        out += (i ? ",\n" : "\n") + indent + "  {\"index\": " + std::to_string(i) +
               ", \"name\": " + Quoted(parameters[i].name) + ", \"display\": " + Quoted(parameters[i].display) +
               ", \"label\": " + Quoted(parameters[i].label) + "}";
    }
    return out + (parameters.empty() ? "]" : "\n" + indent + "]");
}

std::string File(const RenderOptions& options, const FileReport& file)
{
    const bool failed = !file.error.empty();
    const char* status = failed ? "failed" : file.overCeiling ? "over-ceiling" : "ok";
    std::string out = "    {\n";
    auto field = [&](const std::string& name, const std::string& value, bool last = false) {
        out += "      \"" + name + "\": " + value + (last ? "\n" : ",\n");
    };
    field("input", Quoted(file.plan.input));
    field("output", file.written ? Quoted(file.plan.output) : "null");
    field("plot", file.plotWritten ? Quoted(file.plan.plot) : "null");
    field("plot_error", file.plotError.empty() ? "null" : Quoted(file.plotError));
    field("status", Quoted(status));
    field("error", failed ? Quoted(file.error) : "null");
    field("sample_rate", std::to_string(file.sampleRate));
    field("seconds", Number(file.sampleRate ? static_cast<double>(file.frames) / file.sampleRate : 0.0));
    field("latency_samples", std::to_string(file.latency));
    field("render_seconds", Number(file.renderSeconds));
    field("input_loudness", failed ? "null" : Figures(file.input));
    field("output_loudness", failed ? "null" : Figures(file.output));
    field("gain",
          "{\"db\": " + Number(file.gain.db) +
              ", \"plugin_output_db\": " + (file.gain.hasPluginOutput ? Number(file.gain.pluginOutputDb) : "null") +
              ", \"renderer_db\": " + Number(file.gain.rendererDb) + ", \"stage\": " + Quoted(file.gain.stage) + "}");
    field("true_peak_over_ceiling_db", file.overCeiling ? Number(file.output.truePeak - *options.truePeakMax) : "null");
    field("clipped_samples", std::to_string(file.clipped));
    field("non_finite_input_samples", std::to_string(file.nonFiniteInput));
    field("non_finite_output_samples", std::to_string(file.nonFiniteOutput));
    field("dither", "{\"kind\": " + Quoted(DitherName(file.dither)) +
                        ", \"bits\": " + (file.bits ? std::to_string(file.bits) : "null") +
                        ", \"seed\": " + (file.bits ? std::to_string(options.seed) : "null") + "}");
    field("parameters", Parameters(file.parameters, "      "), true);
    return out + "    }";
}

} // namespace

std::string ReportJson(const RenderOptions& options, const PluginIdentity& plugin, const RunReport& run)
{
    std::string out = "{\n";
    out += "  \"program\": \"tolvanger-render\",\n";
    out += "  \"version\": " + Quoted(TOLVANGER_VERSION) + ",\n";
    out += "  \"plugin\": {\"path\": " + Quoted(plugin.path) + ", \"name\": " + Quoted(plugin.name) +
           ", \"vendor\": " + Quoted(plugin.vendor) + ", \"version\": " + std::to_string(plugin.version) + "},\n";
    out += "  \"target_lufs\": " + Optional(options.targetLufs) + ",\n";
    out += "  \"true_peak_max\": " + Optional(options.truePeakMax) + ",\n";
    out += std::string("  \"album\": ") + (options.album ? "true" : "false") + ",\n";
    out += "  \"album_loudness\": " + (run.hasAlbumLoudness ? Number(run.albumLoudness) : "null") + ",\n";
    out += "  \"parameters\": " + Parameters(run.parameters, "  ") + ",\n";
    out += "  \"files\": [";
    for (std::size_t i = 0; i < run.files.size(); ++i)
        out += (i ? ",\n" : "\n") + File(options, run.files[i]);
    out += run.files.empty() ? "]\n" : "\n  ]\n";
    return out + "}\n";
}

} // namespace render
