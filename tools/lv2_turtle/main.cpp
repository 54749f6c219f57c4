// tolvanger-lv2-turtle: writes the LV2 bundle's Turtle files from the templates in lv2/
// and the effect's own description, so that the names, ranges, defaults, units and option
// texts a host reads are those of the slider table the VST build uses.
//
//   tolvanger-lv2-turtle MANIFEST_TEMPLATE PLUGIN_TEMPLATE OUTPUT_FOLDER DSP_BINARY UI_BINARY

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "effect/editor_layout.h"
#include "effect/effect.h"
#include "lv2/port_layout.h"
#include "lv2/uris.h"

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Fill(std::string text, const std::map<std::string, std::string>& values)
{
    for (const auto& [key, value] : values) {
        const std::string mark = "@" + key + "@";
        for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
            text.replace(at, mark.size(), value);
    }
    std::smatch left;
    if (std::regex_search(text, left, std::regex("@[A-Z_]+@")))
        throw std::runtime_error("the template has no value for " + left.str());
    return text;
}

// The shortest decimal that reads back as the same double, as a Turtle decimal.
std::string Decimal(double value)
{
    if (!std::isfinite(value)) throw std::runtime_error("a non-finite number in the parameter table");
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    std::string s(text, result.ptr);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    if (s.find('e') != std::string::npos) throw std::runtime_error("number out of plain decimal range: " + s);
    return s;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// "LO Compress" -> "lo_compress", "Stereo/M-S" -> "stereo_m_s".
std::string Symbol(const std::string& name)
{
    std::string symbol;
    for (unsigned char c : name) {
        if (std::isalnum(c))
            symbol += static_cast<char>(std::tolower(c));
        else if (!symbol.empty() && symbol.back() != '_')
            symbol += '_';
    }
    while (!symbol.empty() && symbol.back() == '_')
        symbol.pop_back();
    if (symbol.empty() || std::isdigit(static_cast<unsigned char>(symbol[0])))
        throw std::runtime_error("no port symbol can be made from the name " + Quoted(name));
    return symbol;
}

std::string UnitFor(const std::string& text)
{
    if (text.empty()) return {};
    if (text == "dB") return "units:db";
    throw std::runtime_error("no LV2 unit for the editor's unit text " + Quoted(text));
}

// The unit text the editor appends to each slider's value, by slider number.
std::map<int, std::string> EditorUnits(TVexlEffect& effect)
{
    std::map<int, std::string> units;
    for (const ControlPlace& place : kControls)
        if (place.kind == ControlKind::Slider) units[place.slider] = effect.String(place.unitString);
    return units;
}

bool IsSwitch(const SliderDef& d)
{
    return d.options.size() == 2 && d.options[0] == "Off" && d.options[1] == "On" && d.minimum == 0 && d.maximum == 1;
}

std::string ParameterPort(uint32_t index, const SliderDef& d, const std::string& unit)
{
    std::ostringstream port;
    port << "[\n\t\ta lv2:InputPort ,\n\t\t\tlv2:ControlPort ;\n"
         << "\t\tlv2:index " << index << " ;\n"
         << "\t\tlv2:symbol " << Quoted(Symbol(d.name)) << " ;\n"
         << "\t\tlv2:name " << Quoted(d.name) << " ;\n"
         << "\t\tlv2:default " << Decimal(d.defaultValue) << " ;\n"
         << "\t\tlv2:minimum " << Decimal(d.minimum) << " ;\n"
         << "\t\tlv2:maximum " << Decimal(d.maximum);
    if (!d.options.empty()) {
        port << " ;\n\t\tlv2:portProperty " << (IsSwitch(d) ? "lv2:toggled" : "lv2:integer ,\n\t\t\tlv2:enumeration");
        // Option k is shown for the values from k steps of (maximum - minimum) / (n - 1) on.
        const double n = static_cast<double>(d.options.size());
        port << " ;\n\t\tlv2:scalePoint ";
        for (size_t k = 0; k < d.options.size(); ++k) {
            const double value = d.minimum + static_cast<double>(k) * (d.maximum - d.minimum) / (n - 1.0);
            port << (k ? " , " : "") << "[\n\t\t\trdfs:label " << Quoted(d.options[k]) << " ;\n\t\t\trdf:value "
                 << Decimal(value) << "\n\t\t]";
        }
    } else {
        const double steps = std::round((d.maximum - d.minimum) / d.step) + 1.0;
        if (d.step == 1.0 && std::floor(d.minimum) == d.minimum) port << " ;\n\t\tlv2:portProperty lv2:integer";
        port << " ;\n\t\tpprops:rangeSteps " << static_cast<long long>(steps);
        if (!unit.empty()) port << " ;\n\t\tunits:unit " << unit;
    }
    port << "\n\t]";
    return port.str();
}

std::string AudioPort(uint32_t index, bool input, const char* symbol, const char* name)
{
    std::ostringstream port;
    port << "[\n\t\ta lv2:AudioPort ,\n\t\t\t" << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
         << "\t\tlv2:index " << index << " ;\n"
         << "\t\tlv2:symbol " << Quoted(symbol) << " ;\n"
         << "\t\tlv2:name " << Quoted(name) << "\n\t]";
    return port.str();
}

std::string LatencyPort()
{
    std::ostringstream port;
    port << "[\n\t\ta lv2:OutputPort ,\n\t\t\tlv2:ControlPort ;\n"
         << "\t\tlv2:index " << lv2_ports::kLatency << " ;\n"
         << "\t\tlv2:symbol \"latency\" ;\n"
         << "\t\tlv2:name \"Latency\" ;\n"
         << "\t\tlv2:designation lv2:latency ;\n"
         << "\t\tlv2:portProperty lv2:reportsLatency ,\n\t\t\tlv2:integer ,\n\t\t\tpprops:notOnGUI ;\n"
         << "\t\tlv2:minimum 0.0 ;\n"
         << "\t\tunits:unit units:frame\n\t]";
    return port.str();
}

std::string Ports(TVexlEffect& effect)
{
    if (effect.ParameterCount() != static_cast<int>(lv2_ports::kParameterCount))
        throw std::runtime_error("the effect has " + std::to_string(effect.ParameterCount()) +
                                 " parameters; lv2/port_layout.h expects " +
                                 std::to_string(lv2_ports::kParameterCount));
    const std::map<int, std::string> units = EditorUnits(effect);
    std::vector<std::string> ports;
    std::set<std::string> symbols = {"in_left", "in_right", "out_left", "out_right", "latency"};
    for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i) {
        const SliderDef& d = effect.sliderDefs[i];
        if (!symbols.insert(Symbol(d.name)).second)
            throw std::runtime_error("two ports would share the symbol " + Symbol(d.name));
        const auto unit = units.find(d.number);
        ports.push_back(ParameterPort(i, d, unit == units.end() ? std::string() : UnitFor(unit->second)));
    }
    ports.push_back(AudioPort(lv2_ports::kInputLeft, true, "in_left", "Left In"));
    ports.push_back(AudioPort(lv2_ports::kInputRight, true, "in_right", "Right In"));
    ports.push_back(AudioPort(lv2_ports::kOutputLeft, false, "out_left", "Left Out"));
    ports.push_back(AudioPort(lv2_ports::kOutputRight, false, "out_right", "Right Out"));
    ports.push_back(LatencyPort());
    std::string text;
    for (size_t i = 0; i < ports.size(); ++i)
        text += (i ? " , " : "") + ports[i];
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s MANIFEST_TEMPLATE PLUGIN_TEMPLATE OUTPUT_FOLDER DSP_BINARY UI_BINARY\n",
                     argv[0]);
        return 2;
    }
    try {
        TVexlEffect effect;
        effect.DoReset(); // defines the texts the editor shows, among them the units
        // The vendor version counts up with every release; LV2 hosts compare minor, then micro.
        const std::map<std::string, std::string> values = {
            {"PLUGIN_URI", lv2_uris::kPlugin},
            {"EDITOR_URI", lv2_uris::kEditor},
            {"DSP_BINARY", argv[4]},
            {"UI_BINARY", argv[5]},
            {"NAME", effect.effectName},
            {"VENDOR", effect.vendorString},
            {"MINOR_VERSION", "0"},
            {"MICRO_VERSION", std::to_string(effect.vendorVersion)},
            {"PORTS", Ports(effect)},
        };
        const std::string folder = std::string(argv[3]) + "/";
        WriteFile(folder + "manifest.ttl", Fill(ReadFile(argv[1]), values));
        WriteFile(folder + "tolvanger.ttl", Fill(ReadFile(argv[2]), values));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
}
