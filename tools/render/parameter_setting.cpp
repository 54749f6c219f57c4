#include "tools/render/parameter_setting.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/render/render_error.h"

namespace render {
namespace {

// Points at which a parameter's display texts are sampled over its normalised range.
constexpr int kGridSteps = 1000;
constexpr int kBisections = 32;

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool SameText(const std::string& a, const std::string& b) { return Lower(Trim(a)) == Lower(Trim(b)); }

// A display text read as a number and the unit after it.
struct Reading {
    bool numeric = false;
    double value = 0.0;
    std::string unit;
    int decimals = 0;
};

Reading Read(const std::string& text)
{
    Reading reading;
    const std::string trimmed = Trim(text);
    const char* start = trimmed.c_str();
    char* end = nullptr;
    reading.value = std::strtod(start, &end);
    if (end == start) return reading;
    reading.numeric = true;
    reading.unit = Trim(end);
    const std::string number(start, static_cast<std::size_t>(end - start));
    if (const auto dot = number.find('.'); dot != std::string::npos) {
        for (std::size_t i = dot + 1; i < number.size() && std::isdigit(static_cast<unsigned char>(number[i])); ++i)
            ++reading.decimals;
    }
    return reading;
}

class Parameter {
public:
    Parameter(hostkit::PluginInstance& plugin, int index, std::string name)
        : plugin_(plugin), index_(index), name_(std::move(name))
    {
    }

    const std::string& name() const { return name_; }
    std::string label() { return Trim(plugin_.ParameterLabel(index_)); }

    std::string DisplayAt(double x)
    {
        plugin_.SetParameter(index_, static_cast<float>(x));
        return Trim(plugin_.ParameterDisplay(index_));
    }
    double ValueAt(double x) { return Read(DisplayAt(x)).value; }
    void Set(double x) { plugin_.SetParameter(index_, static_cast<float>(x)); }

private:
    hostkit::PluginInstance& plugin_;
    int index_;
    std::string name_;
};

int FindParameter(hostkit::PluginInstance& plugin, const std::string& wanted)
{
    const int count = plugin.effect()->numParams;
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(Trim(plugin.ParameterName(i)));
    for (int i = 0; i < count; ++i)
        if (names[i] == wanted) return i;
    for (int i = 0; i < count; ++i)
        if (SameText(names[i], wanted)) return i;
    if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) { return std::isdigit(c); })) {
        const long index = std::strtol(wanted.c_str(), nullptr, 10);
        if (wanted.size() > 9 || index >= count)
            throw RenderError("no parameter " + wanted + ": the plug-in has " + std::to_string(count) + " (0 to " +
                              std::to_string(count - 1) + ")");
        return static_cast<int>(index);
    }
    return -1;
}

void SetNormalised(hostkit::PluginInstance& plugin, int index, const std::string& setting, const std::string& text)
{
    const char* start = text.c_str() + 1;
    char* end = nullptr;
    const double x = std::strtod(start, &end);
    if (end == start || *end != 0 || !std::isfinite(x))
        throw RenderError("--set " + setting + ": '" + text + "' is not a normalised value (@0 to @1)");
    if (x < 0.0 || x > 1.0)
        throw RenderError("value out of range: --set " + setting + " (normalised values go from 0 to 1)");
    plugin.SetParameter(index, static_cast<float>(x));
}

std::string ShownTexts(const std::vector<std::string>& displays)
{
    std::vector<std::string> distinct;
    for (const std::string& text : displays)
        if (std::find(distinct.begin(), distinct.end(), text) == distinct.end()) distinct.push_back(text);
    std::string list;
    for (std::size_t i = 0; i < distinct.size() && i < 12; ++i)
        list += (i ? ", " : "") + distinct[i];
    if (distinct.size() > 12) list += ", ...";
    return list;
}

// The middle of the longest run of grid points whose display matches `text`, or -1.
double MatchingText(const std::vector<std::string>& displays, const std::string& text, bool exact)
{
    int bestFirst = -1, bestLength = 0;
    for (int i = 0; i <= kGridSteps;) {
        const bool match = exact ? displays[i] == text : SameText(displays[i], text);
        if (!match) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 <= kGridSteps && (exact ? displays[j + 1] == text : SameText(displays[j + 1], text)))
            ++j;
        if (j - i + 1 > bestLength) bestFirst = i, bestLength = j - i + 1;
        i = j + 1;
    }
    if (bestFirst < 0) return -1.0;
    return (bestFirst + (bestLength - 1) * 0.5) / kGridSteps;
}

// With the display rising in x (sign +1) or falling (sign -1): the stretch of x whose value
// lies within [low, high], found by bisection; empty (first > last) when it falls between steps.
std::pair<double, double> Stretch(Parameter& parameter, double sign, double low, double high)
{
    auto f = [&](double x) { return sign * parameter.ValueAt(x); };
    double first = 0.0;
    if (f(0.0) < low) {
        double lo = 0.0, hi = 1.0;
        for (int i = 0; i < kBisections; ++i) {
            const double mid = 0.5 * (lo + hi);
            (f(mid) >= low ? hi : lo) = mid;
        }
        first = hi;
    }
    double last = 1.0;
    if (f(1.0) > high) {
        double lo = 0.0, hi = 1.0;
        for (int i = 0; i < kBisections; ++i) {
            const double mid = 0.5 * (lo + hi);
            (f(mid) <= high ? lo : hi) = mid;
        }
        last = lo;
    }
    return {first, last};
}

std::string SetNumber(Parameter& parameter, const std::string& setting, const std::string& text,
                      const std::vector<std::string>& displays)
{
    std::vector<Reading> readings;
    for (const std::string& display : displays)
        readings.push_back(Read(display));
    const Reading wanted = Read(text);
    if (!wanted.numeric || !std::isfinite(wanted.value))
        throw RenderError("--set " + setting + ": '" + text + "' is not a number, and " + parameter.name() +
                          " shows numbers such as " + displays[kGridSteps / 2]);

    const std::string shownUnit = readings[kGridSteps / 2].unit;
    const std::string label = parameter.label();
    if (!wanted.unit.empty() && !SameText(wanted.unit, shownUnit) && !SameText(wanted.unit, label)) {
        if (shownUnit.empty() && label.empty())
            throw RenderError("--set " + setting + ": " + parameter.name() + " shows plain numbers (such as " +
                              displays[kGridSteps / 2] + "); leave out '" + wanted.unit + "'");
        throw RenderError("--set " + setting + ": " + parameter.name() + " is shown in " +
                          (shownUnit.empty() ? label : shownUnit) + ", not '" + wanted.unit + "'");
    }

    int lowest = 0, highest = 0;
    for (int i = 0; i <= kGridSteps; ++i) {
        if (readings[i].value < readings[lowest].value) lowest = i;
        if (readings[i].value > readings[highest].value) highest = i;
    }
    // Half a unit in the last decimal the plug-in shows.
    const double tolerance = 0.5 * std::pow(10.0, -readings[highest].decimals) + 1e-9;
    const double target = wanted.value;
    if (target < readings[lowest].value - tolerance || target > readings[highest].value + tolerance)
        throw RenderError("value out of range: --set " + setting + " (" + parameter.name() + " goes from " +
                          displays[lowest] + " to " + displays[highest] + ")");

    const double sign = readings[kGridSteps].value >= readings[0].value ? 1.0 : -1.0;
    bool monotonic = true;
    for (int i = 1; i <= kGridSteps; ++i)
        if (sign * (readings[i].value - readings[i - 1].value) < 0.0) monotonic = false;

    if (!monotonic) {
        int nearest = 0;
        for (int i = 0; i <= kGridSteps; ++i)
            if (std::abs(readings[i].value - target) < std::abs(readings[nearest].value - target)) nearest = i;
        parameter.Set(static_cast<double>(nearest) / kGridSteps);
        if (std::abs(readings[nearest].value - target) <= tolerance) return {};
        return parameter.name() + " cannot show " + text + "; set to " + displays[nearest];
    }

    auto [first, last] = Stretch(parameter, sign, sign * target - tolerance, sign * target + tolerance);
    std::string note;
    if (first > last) {
        // Between two steps: take the nearer, the upper one on a tie, as the step rounding of
        // most plug-ins does.
        const double above = parameter.ValueAt(sign > 0 ? first : last);
        const double below = parameter.ValueAt(sign > 0 ? last : first);
        const double chosen = above - target <= target - below + tolerance * 1e-6 ? above : below;
        std::tie(first, last) = Stretch(parameter, sign, sign * chosen - tolerance, sign * chosen + tolerance);
        note = parameter.name() + ": " + text + " lies between two steps; set to ";
    }
    const double x = 0.5 * (first + last);
    const std::string shown = parameter.DisplayAt(x);
    if (!note.empty()) note += shown;
    return note;
}

} // namespace

std::string ApplySetting(hostkit::PluginInstance& plugin, const std::string& setting)
{
    // The first '=' whose left side names a parameter divides the text, so that names and
    // option texts may themselves hold an '='.
    int index = -1;
    std::string value;
    for (auto eq = setting.find('='); eq != std::string::npos; eq = setting.find('=', eq + 1)) {
        index = FindParameter(plugin, Trim(setting.substr(0, eq)));
        if (index >= 0) {
            value = Trim(setting.substr(eq + 1));
            break;
        }
    }
    if (setting.find('=') == std::string::npos)
        throw RenderError("--set takes NAME=VALUE or INDEX=@VALUE, not '" + setting + "'");
    if (index < 0)
        throw RenderError("unknown parameter '" + Trim(setting.substr(0, setting.find('='))) +
                          "' (--list-params shows them)");
    if (value.empty()) throw RenderError("--set " + setting + ": no value given");
    if (value[0] == '@') {
        SetNormalised(plugin, index, setting, value);
        return {};
    }

    Parameter parameter(plugin, index, Trim(plugin.ParameterName(index)));
    std::vector<std::string> displays;
    for (int i = 0; i <= kGridSteps; ++i)
        displays.push_back(parameter.DisplayAt(static_cast<double>(i) / kGridSteps));

    double x = MatchingText(displays, value, true);
    if (x < 0.0) x = MatchingText(displays, value, false);
    if (x >= 0.0) {
        parameter.Set(x);
        return {};
    }
    const bool numeric =
        std::all_of(displays.begin(), displays.end(), [](const std::string& d) { return Read(d).numeric; });
    if (!numeric)
        throw RenderError("--set " + setting + ": " + parameter.name() + " has no setting '" + value + "' (it shows " +
                          ShownTexts(displays) + ")");
    return SetNumber(parameter, setting, value, displays);
}

} // namespace render
