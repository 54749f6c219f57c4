#include "vst2/effect_table.h"

#include <string>

#include "core/plugin.h"
#include "vst2/text_copy.h"
#include "vst2/vest.h"
#include "vst2/vest_editor.h"

namespace {

Plugin* Instance(CVeST* host) { return host ? host->plugin : nullptr; }

// The thirty are the VST 2.4 parameters; the bypass comes through effSetBypass instead.
Plugin* WithParameter(CVeST* host, int32_t index)
{
    Plugin* p = Instance(host);
    return p && index >= 0 && index < p->ParameterCount() ? p : nullptr;
}

void Create(CVeST* host)
{
    Plugin* p = Instance(host);
    if (!p) return;
    host->setNumInputs(p->ChannelCount());
    host->setNumOutputs(p->ChannelCount());
    host->setUniqueID(p->UniqueId());
    if (!host->getEditor()) host->setEditor(new CVeSTEditor(host, Plugin::kEditorWidth, Plugin::kEditorHeight));
    host->programsAreChunks(true);
}

void Destroy(CVeST* host)
{
    if (!host) return;
    delete host->plugin;
    host->plugin = nullptr;
}

void Open(CVeST* host)
{
    if (Plugin* p = Instance(host)) p->Reset();
}

void Suspend(CVeST* host)
{
    if (Plugin* p = Instance(host)) p->Deactivate();
}

void Resume(CVeST* host)
{
    if (Plugin* p = Instance(host)) p->Activate();
}

void Idle(CVeST* host)
{
    if (Plugin* p = Instance(host)) p->IdleSection();
}

void Close(CVeST* host)
{
    if (Plugin* p = Instance(host)) p->Close();
}

void Draw(CVeST* host, double, double)
{
    if (Plugin* p = Instance(host)) p->DrawSection();
}

void MouseDown(CVeST* host, double x, double y, int buttons)
{
    if (Plugin* p = Instance(host)) p->MouseDown(x, y, buttons);
}

void MouseUp(CVeST* host, double x, double y, int)
{
    if (Plugin* p = Instance(host)) p->MouseUp(x, y);
}

void MouseMove(CVeST* host, double x, double y, int)
{
    if (Plugin* p = Instance(host)) p->MouseMove(x, y);
}

int32_t GetVendorVersion(CVeST* host)
{
    Plugin* p = Instance(host);
    return p ? p->VendorVersion() : 0;
}

int32_t GetVendorString(CVeST* host, char* text)
{
    Plugin* p = Instance(host);
    if (!p) return 0;
    CopyText(text, p->VendorString(), text_limit::kVendorString);
    return 1;
}

int32_t GetProductString(CVeST* host, char* text)
{
    Plugin* p = Instance(host);
    if (!p) return 0;
    CopyText(text, p->ProductString(), text_limit::kProductString);
    return 1;
}

int32_t GetEffectName(CVeST* host, char* text)
{
    Plugin* p = Instance(host);
    if (!p) return 0;
    CopyText(text, p->EffectName(), text_limit::kEffectName);
    return 1;
}

int32_t GetProgramName(CVeST* host, char* text)
{
    Plugin* p = Instance(host);
    if (!p) return 0;
    CopyText(text, p->ProgramName(), text_limit::kProgramName);
    return 1;
}

void SetProgramName(CVeST* host, const char* text)
{
    Plugin* p = Instance(host);
    if (p && text) p->SetProgramName(text);
}

int32_t GetProgramNameIndexed(CVeST*, int32_t, int32_t, char*) { return 0; }

float GetParameter(CVeST* host, int32_t index)
{
    Plugin* p = WithParameter(host, index);
    return p ? static_cast<float>(p->GetNormalized(index)) : 0.0f;
}

void SetParameter(CVeST* host, int32_t index, double value)
{
    if (Plugin* p = WithParameter(host, index)) p->SetNormalized(index, value);
}

void GetParameterName(CVeST* host, int32_t index, char* text)
{
    Plugin* p = WithParameter(host, index);
    CopyText(text, p ? p->ParameterName(index) : std::string(), text_limit::kParameterText);
}

void GetParameterLabel(CVeST* host, int32_t index, char* text)
{
    Plugin* p = WithParameter(host, index);
    CopyText(text, p ? p->ParameterLabel(index) : std::string(), text_limit::kParameterText);
}

void GetParameterDisplay(CVeST* host, int32_t index, char* text)
{
    Plugin* p = WithParameter(host, index);
    CopyText(text, p ? p->ParameterDisplay(index) : std::string(), text_limit::kParameterText);
}

void ProcessReplacing(CVeST* host, float** inputs, float** outputs, int32_t frames)
{
    if (Plugin* p = Instance(host)) p->Process(inputs, outputs, frames);
}

void ProcessDoubleReplacing(CVeST* host, double** inputs, double** outputs, int32_t frames)
{
    if (Plugin* p = Instance(host)) p->Process(inputs, outputs, frames);
}

// The same bytes whether the host asks for a preset or a bank: the one program is the bank.
int32_t GetChunk(CVeST* host, void** data, bool)
{
    Plugin* p = Instance(host);
    const void* chunk = nullptr;
    const int32_t size = p ? p->GetState(&chunk) : 0;
    if (size > 0 && data) *data = const_cast<void*>(chunk);
    return size;
}

// Answers the byte count of a chunk it took, and 0 for one it left (no bytes, a foreign or
// damaged chunk), which changed nothing.
int32_t SetChunk(CVeST* host, void* data, int32_t byteSize, bool)
{
    Plugin* p = Instance(host);
    if (!p || !data || byteSize < 0) return 0;
    return p->SetState(data, byteSize) ? byteSize : 0;
}

} // namespace
VeSTCallbackTable MakeCallbackTable()
{
    VeSTCallbackTable t{};
    t.create = Create;
    t.destroy = Destroy;
    t.open = Open;
    t.suspend = Suspend;
    t.resume = Resume;
    t.idle = Idle;
    t.close = Close;
    t.draw = Draw;
    t.mouseDown = MouseDown;
    t.mouseUp = MouseUp;
    t.mouseMove = MouseMove;
    t.keyDown = nullptr;
    t.keyUp = nullptr;
    t.getVendorVersion = GetVendorVersion;
    t.getVendorString = GetVendorString;
    t.getProductString = GetProductString;
    t.getEffectName = GetEffectName;
    t.getProgramName = GetProgramName;
    t.setProgramName = SetProgramName;
    t.getProgramNameIndexed = GetProgramNameIndexed;
    t.getParameter = GetParameter;
    t.setParameter = SetParameter;
    t.getParameterName = GetParameterName;
    t.getParameterLabel = GetParameterLabel;
    t.getParameterDisplay = GetParameterDisplay;
    t.processReplacing = ProcessReplacing;
    t.processDoubleReplacing = ProcessDoubleReplacing;
    t.getChunk = GetChunk;
    t.setChunk = SetChunk;
    return t;
}
