#include "tools/render/report.h"

#include <cmath>
#include <cstdio>

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
