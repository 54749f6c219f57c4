#include "vst2/vest.h"

#include <cmath>
#include <cstring>

#include "core/plugin.h"
#include "vst2/vest_editor.h"

CVeST::CVeST(Plugin* instance, const VeSTCallbackTable& callbacks, audioMasterCallback master, int32_t programs,
             int32_t params)
    : AudioEffectX(master, programs, params), plugin(instance), midiEventRing(kMidiRingSize, VstMidiEvent{}),
      table(callbacks)
{
    canProcessReplacing(true);
    canDoubleReplacing(true);
    if (table.create) table.create(this);
}

CVeST::~CVeST()
{
    for (auto& font : fontCache)
        font.reset();
    if (table.destroy) table.destroy(this);
    plugin = nullptr;
    std::vector<VstMidiEvent>().swap(midiEventRing);
    std::vector<std::shared_ptr<gui::Font>>().swap(fontCache);
}

void CVeST::open()
{
    if (table.open) table.open(this);
}

void CVeST::close()
{
    if (table.close) table.close(this);
}

void CVeST::suspend()
{
    if (table.suspend) table.suspend(this);
}

void CVeST::resume()
{
    AudioEffectX::resume();
    if (table.resume) table.resume(this);
}

void CVeST::processReplacing(float** inputs, float** outputs, int32_t frames)
{
    if (table.processReplacing) table.processReplacing(this, inputs, outputs, frames);
}

void CVeST::processDoubleReplacing(double** inputs, double** outputs, int32_t frames)
{
    if (table.processDoubleReplacing) table.processDoubleReplacing(this, inputs, outputs, frames);
}

void CVeST::setParameter(int32_t index, float value)
{
    if (table.setParameter) table.setParameter(this, index, static_cast<double>(value));
}

float CVeST::getParameter(int32_t index) { return table.getParameter ? table.getParameter(this, index) : 0.0f; }

void CVeST::setProgramName(char* name)
{
    if (table.setProgramName && name) table.setProgramName(this, name);
}

void CVeST::getProgramName(char* name)
{
    if (table.getProgramName && name) table.getProgramName(this, name);
}

void CVeST::getParameterLabel(int32_t index, char* label)
{
    if (table.getParameterLabel && label) table.getParameterLabel(this, index, label);
}

void CVeST::getParameterDisplay(int32_t index, char* text)
{
    if (table.getParameterDisplay && text) table.getParameterDisplay(this, index, text);
}

void CVeST::getParameterName(int32_t index, char* text)
{
    if (table.getParameterName && text) table.getParameterName(this, index, text);
}

int32_t CVeST::getChunk(void** data, bool isPreset)
{
    if (!table.getChunk || !data) return 0;
    return table.getChunk(this, data, isPreset);
}

int32_t CVeST::setChunk(void* data, int32_t byteSize, bool isPreset)
{
    if (!table.setChunk) return 0;
    return table.setChunk(this, data, byteSize, isPreset);
}

bool CVeST::getProgramNameIndexed(int32_t category, int32_t index, char* text)
{
    if (!table.getProgramNameIndexed) return false;
    return table.getProgramNameIndexed(this, category, index, text) != 0;
}

bool CVeST::getEffectName(char* name) { return table.getEffectName && table.getEffectName(this, name) != 0; }

bool CVeST::getVendorString(char* text) { return table.getVendorString && table.getVendorString(this, text) != 0; }

bool CVeST::getProductString(char* text) { return table.getProductString && table.getProductString(this, text) != 0; }

int32_t CVeST::getVendorVersion() { return table.getVendorVersion ? table.getVendorVersion(this) : 0; }

int32_t CVeST::processEvents(VstEvents* events)
{
    if (!events || events->numEvents <= 0) return 1;
    int32_t write = midiWriteIndex.load(std::memory_order_relaxed);
    // The host's list runs past the two entries the record declares.
    VstEvent* const* list = &events->events[0];
    for (int32_t i = 0; i < events->numEvents; ++i) {
        const VstEvent* event = list[i];
        if (!event || event->type != kVstMidiType) continue;
        std::memcpy(&midiEventRing[static_cast<size_t>(write)], event, sizeof(VstMidiEvent));
        if (++write >= kMidiRingSize) write = 0;
    }
    midiWriteIndex.store(write, std::memory_order_relaxed);
    return 1;
}

bool CVeST::TakeMidiEvent(VstMidiEvent& event)
{
    const int32_t read = midiReadIndex.load(std::memory_order_relaxed);
    if (read == midiWriteIndex.load(std::memory_order_relaxed)) return false;
    event = midiEventRing[static_cast<size_t>(read)];
    midiReadIndex.store(read + 1 >= kMidiRingSize ? 0 : read + 1, std::memory_order_relaxed);
    return true;
}

int32_t CVeST::canDo(char* text)
{
    // Terminated comparisons: a short host text is never read past its end.
    if (text && (std::strcmp(text, "receiveVstMidiEvent") == 0 || std::strcmp(text, "bypass") == 0)) return 1;
    return -1;
}

// Like the can-do answers, CVeST's own: the bypass wraps the processing and is no effect
// function, so the table keeps its 29 entries.
bool CVeST::setBypass(bool bypassed)
{
    if (!plugin) return false;
    plugin->SetBypass(bypassed);
    return true;
}

intptr_t CVeST::vendorSpecific(int32_t index, intptr_t value, void*, float opt)
{
    constexpr int32_t kContentScale = FourCharCode('A', 'e', 'C', 's');
    const bool scale = index == kContentScale || (index == FourCharCode('P', 'r', 'e', 'S') && value == kContentScale);
    if (!scale || !std::isfinite(opt) || opt <= 0.0f) return 0;
    auto* editor = dynamic_cast<CVeSTEditor*>(getEditor());
    if (!editor) return 0;
    editor->SetHostScale(opt);
    return 1;
}
