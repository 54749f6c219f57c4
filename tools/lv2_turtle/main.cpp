// tolvanger-lv2-turtle: writes the LV2 bundle's Turtle files from the templates in lv2/,
// the parameter table and the factory bank, so that the names, symbols, ranges, defaults,
// units and option texts a host reads are those the VST build uses, and its presets are the
// factory bank (presets.ttl, listed in the manifest).
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

#include "core/presets.h"
#include "effect/effect.h"
#include "effect/parameter_table.h"
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

std::string UnitFor(const std::string& text)
{
    if (text.empty()) return {};
    if (text == "dB") return "units:db";
    throw std::runtime_error("no LV2 unit for the unit text " + Quoted(text));
}

bool IsSwitch(const ParameterRow& r)
{
    return r.option0 && std::string(r.option0) == "Off" && std::string(r.option1) == "On" && r.minimum == 0 &&
           r.maximum == 1;
}

std::string ParameterPort(uint32_t index, const ParameterRow& r)
{
    std::ostringstream port;
    port << "[\n\t\ta lv2:InputPort ,\n\t\t\tlv2:ControlPort ;\n"
         << "\t\tlv2:index " << index << " ;\n"
         << "\t\tlv2:symbol " << Quoted(r.symbol) << " ;\n"
         << "\t\tlv2:name " << Quoted(r.name) << " ;\n"
         << "\t\tlv2:default " << Decimal(r.defaultValue) << " ;\n"
         << "\t\tlv2:minimum " << Decimal(r.minimum) << " ;\n"
         << "\t\tlv2:maximum " << Decimal(r.maximum);
    if (r.option0) {
        port << " ;\n\t\tlv2:portProperty " << (IsSwitch(r) ? "lv2:toggled" : "lv2:integer ,\n\t\t\tlv2:enumeration");
        // The first text at the minimum, the second at the maximum.
        port << " ;\n\t\tlv2:scalePoint [\n\t\t\trdfs:label " << Quoted(r.option0) << " ;\n\t\t\trdf:value "
             << Decimal(r.minimum) << "\n\t\t] , [\n\t\t\trdfs:label " << Quoted(r.option1)
             << " ;\n\t\t\trdf:value " << Decimal(r.maximum) << "\n\t\t]";
    } else {
        const double steps = std::round((r.maximum - r.minimum) / r.step) + 1.0;
        if (r.step == 1.0 && std::floor(r.minimum) == r.minimum) port << " ;\n\t\tlv2:portProperty lv2:integer";
        port << " ;\n\t\tpprops:rangeSteps " << static_cast<long long>(steps);
        if (const std::string unit = UnitFor(r.unit); !unit.empty()) port << " ;\n\t\tunits:unit " << unit;
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

// The host's bypass: hosts that know the designation bypass through it and keep the plug-in
// running, in time.
std::string EnabledPort()
{
    std::ostringstream port;
    port << "[\n\t\ta lv2:InputPort ,\n\t\t\tlv2:ControlPort ;\n"
         << "\t\tlv2:index " << lv2_ports::kEnabled << " ;\n"
         << "\t\tlv2:symbol \"enabled\" ;\n"
         << "\t\tlv2:name \"Enabled\" ;\n"
         << "\t\tlv2:designation lv2:enabled ;\n"
         << "\t\tlv2:portProperty lv2:toggled ;\n"
         << "\t\tlv2:default 1.0 ;\n"
         << "\t\tlv2:minimum 0.0 ;\n"
         << "\t\tlv2:maximum 1.0\n\t]";
    return port.str();
}

std::string Ports(TVexlEffect& effect)
{
    if (effect.ParameterCount() != static_cast<int>(lv2_ports::kParameterCount))
        throw std::runtime_error("the effect has " + std::to_string(effect.ParameterCount()) +
                                 " parameters; lv2/port_layout.h expects " +
                                 std::to_string(lv2_ports::kParameterCount));
    std::vector<std::string> ports;
    std::set<std::string> symbols = {"in_left", "in_right", "out_left", "out_right", "latency", "enabled"};
    for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i) {
        const ParameterRow& r = kParameterTable[i];
        if (!symbols.insert(r.symbol).second) throw std::runtime_error(std::string("two ports share ") + r.symbol);
        ports.push_back(ParameterPort(i, r));
    }
    ports.push_back(AudioPort(lv2_ports::kInputLeft, true, "in_left", "Left In"));
    ports.push_back(AudioPort(lv2_ports::kInputRight, true, "in_right", "Right In"));
    ports.push_back(AudioPort(lv2_ports::kOutputLeft, false, "out_left", "Left Out"));
    ports.push_back(AudioPort(lv2_ports::kOutputRight, false, "out_right", "Right Out"));
    ports.push_back(LatencyPort());
    ports.push_back(EnabledPort());
    std::string text;
    for (size_t i = 0; i < ports.size(); ++i)
        text += (i ? " , " : "") + ports[i];
    return text;
}

std::string PresetUri(int index) { return std::string(lv2_uris::kPresetPrefix) + presets::FactoryKey(index); }

// The manifest's entry of each preset: enough for a host to list it without reading more.
std::string PresetEntries()
{
    std::ostringstream text;
    for (int i = 0; i < presets::FactoryCount(); ++i)
        text << "\n<" << PresetUri(i) << ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" << lv2_uris::kPlugin
             << "> ;\n\trdfs:label " << Quoted(presets::Factory(i)->name) << " ;\n\trdfs:seeAlso <presets.ttl> .\n";
    return text.str();
}

// Every preset with every control port's value, in the ports' own units.
std::string PresetsFile()
{
    std::ostringstream text;
    text << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
         << "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
         << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n\n"
         << "# Generated at build time from the factory bank (core/factory_presets.h); edit the bank, not this file.\n";
    for (int i = 0; i < presets::FactoryCount(); ++i) {
        const FactoryPreset& preset = *presets::Factory(i);
        text << "\n<" << PresetUri(i) << ">\n\ta pset:Preset ;\n\tlv2:appliesTo <" << lv2_uris::kPlugin
             << "> ;\n\trdfs:label " << Quoted(preset.name) << " ;\n\trdfs:comment " << Quoted(preset.line)
             << " ;\n\tlv2:port ";
        for (uint32_t p = 0; p < lv2_ports::kParameterCount; ++p)
            text << (p ? " , " : "") << "[\n\t\tlv2:symbol " << Quoted(kParameterTable[p].symbol)
                 << " ;\n\t\tpset:value " << Decimal(preset.values[p]) << "\n\t]";
        text << " .\n";
    }
    return text.str();
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
            {"PRESETS", PresetEntries()},
        };
        const std::string folder = std::string(argv[3]) + "/";
        WriteFile(folder + "manifest.ttl", Fill(ReadFile(argv[1]), values));
        WriteFile(folder + "tolvanger.ttl", Fill(ReadFile(argv[2]), values));
        WriteFile(folder + "presets.ttl", PresetsFile());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
}
