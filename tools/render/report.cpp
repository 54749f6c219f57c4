#include "tools/render/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace render {
namespace {

std::string Number(double value)
{
    char text[64];
    if (std::isinf(value))
        std::snprintf(text, sizeof text, "%s", value < 0 ? "-inf" : "inf");
    else
        std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Row(const char* what, double input, double output, const char* unit)
{
    char text[160];
    std::snprintf(text, sizeof text, "%-16s %8s %-4s  %8s %s\n", what, Number(input).c_str(), unit,
                  Number(output).c_str(), unit);
    return text;
}

} // namespace

std::string FormatReport(const LoudnessFigures& input, const LoudnessFigures& output, double audioSeconds,
                         double wallSeconds)
{
    char header[160];
    std::snprintf(header, sizeof header, "%-16s %8s %4s  %8s\n", "", "input", "", "output");
    std::string report = header;
    report += Row("integrated", input.integrated, output.integrated, "LUFS");
    report += Row("loudness range", input.range, output.range, "LU");
    report += Row("sample peak", input.samplePeak, output.samplePeak, "dBFS");
    report += Row("true peak", input.truePeak, output.truePeak, "dBTP");
    char speed[160];
    if (audioSeconds > 0.0 && wallSeconds > 0.0)
        std::snprintf(speed, sizeof speed, "speed            %.1f s of audio in %.2f s: %.0fx real time\n",
                      audioSeconds, wallSeconds, audioSeconds / wallSeconds);
    else
        std::snprintf(speed, sizeof speed, "speed            %.1f s of audio\n", audioSeconds);
    report += speed;
    return report;
}

} // namespace render

namespace render {

std::string FormatDetails(const FileReport& file, uint64_t seed)
{
    std::string details;
    char line[256];
    if (file.gain.stage != "none" || file.gain.db != 0.0) {
        std::snprintf(line, sizeof line, "gain             %+.2f dB for the target: ", file.gain.db);
        details += line;
        if (file.gain.hasPluginOutput) {
            std::snprintf(line, sizeof line, "plug-in Output at %.2f dB", file.gain.pluginOutputDb);
            details += line;
        }
        if (file.gain.rendererDb != 0.0) {
            std::snprintf(line, sizeof line, "%srenderer gain %+.2f dB", file.gain.hasPluginOutput ? ", " : "",
                          file.gain.rendererDb);
            details += line;
        }
        details += "\n";
    }
    if (file.bits) {
        const char* kind = file.dither == DitherKind::Tpdf     ? "TPDF dither"
                           : file.dither == DitherKind::Shaped ? "noise-shaped TPDF dither"
                                                               : "no dither";
        std::snprintf(line, sizeof line, "%-16s %d-bit, %s (seed %llu)\n", "integer output", file.bits, kind,
                      static_cast<unsigned long long>(seed));
        details += line;
    }
    if (file.clipped) {
        std::snprintf(line, sizeof line, "%-16s %lld samples held at full scale\n", "clipped",
                      static_cast<long long>(file.clipped));
        details += line;
    }
    if (file.nonFiniteInput || file.nonFiniteOutput) {
        std::snprintf(line, sizeof line, "%-16s %lld in the input, %lld in the output, written as silence\n",
                      "non-finite", static_cast<long long>(file.nonFiniteInput),
                      static_cast<long long>(file.nonFiniteOutput));
        details += line;
    }
    return details;
}

std::string FormatBatchTable(const RunReport& run)
{
    std::size_t width = 4;
    for (const FileReport& file : run.files)
        width = std::max(width, file.plan.input.size());
    char line[1024];
    std::snprintf(line, sizeof line, "%-*s  %8s  %8s  %8s  %8s  %7s  %s\n", static_cast<int>(width), "file", "in LUFS",
                  "out LUFS", "out dBTP", "gain dB", "clipped", "result");
    std::string table = line;
    for (const FileReport& file : run.files) {
        if (!file.error.empty()) {
            std::snprintf(line, sizeof line, "%-*s  %8s  %8s  %8s  %8s  %7s  failed: %s\n", static_cast<int>(width),
                          file.plan.input.c_str(), "", "", "", "", "", file.error.c_str());
        } else {
            char gain[32];
            std::snprintf(gain, sizeof gain, "%+.2f", file.gain.db);
            std::string result = file.overCeiling
                                     ? (file.written ? "over the ceiling" : "over the ceiling, not written")
                                     : file.plan.output;
            if (!file.plotError.empty()) result += "; no plot: " + file.plotError;
            std::snprintf(line, sizeof line, "%-*s  %8s  %8s  %8s  %8s  %7lld  %s\n", static_cast<int>(width),
                          file.plan.input.c_str(), Number(file.input.integrated).c_str(),
                          Number(file.output.integrated).c_str(), Number(file.output.truePeak).c_str(), gain,
                          static_cast<long long>(file.clipped), result.c_str());
        }
        table += line;
    }
    if (run.hasAlbumLoudness) {
        std::snprintf(line, sizeof line, "album loudness %.1f LUFS\n", run.albumLoudness);
        table += line;
    }
    return table;
}

std::string CeilingLine(const FileReport& file, double ceiling)
{
    char line[1024];
    std::snprintf(line, sizeof line, "%s: true peak %.2f dBTP is above the ceiling of %.2f dBTP by %.2f dB%s",
                  file.plan.output.c_str(), file.output.truePeak, ceiling, file.output.truePeak - ceiling,
                  file.written ? "" : "; not written (--strict)");
    return line;
}

} // namespace render
