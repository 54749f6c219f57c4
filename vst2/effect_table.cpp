#include "vst2/effect_table.h"

#include <algorithm>

#include "core/editor_input.h"
#include "core/process.h"
#include "effect/editor_layout.h"
#include "vst2/text_copy.h"
#include "vst2/vest.h"
#include "vst2/vest_editor.h"
#include "runtime/vexl.h"

namespace {

TVexl* Effect(CVeST* host) { return host ? host->effect : nullptr; }

void Create(CVeST* host)
{
    TVexl* effect = Effect(host);
    if (!effect) return;
    host->setNumInputs(effect->channelCount);
    host->setNumOutputs(effect->channelCount);
    host->setUniqueID(effect->uniqueId);
    if (!host->getEditor()) host->setEditor(new CVeSTEditor(host, kEditorWidth, kEditorHeight));
    host->programsAreChunks(true);
}

void Destroy(CVeST* host)
{
    if (!host) return;
    delete host->effect;
    host->effect = nullptr;
}

void Open(CVeST* host)
{
    if (TVexl* e = Effect(host)) e->DoReset();
}

void Suspend(CVeST* host)
{
    if (TVexl* e = Effect(host)) e->DoSuspend();
}

void Resume(CVeST* host)
{
    if (TVexl* e = Effect(host)) e->DoResume();
}

void Idle(CVeST* host)
{
    if (TVexl* e = Effect(host)) e->DoIdle();
}

void Close(CVeST* host)
{
    if (TVexl* e = Effect(host)) e->DoClose();
}

void Draw(CVeST* host, double, double)
{
    if (TVexl* e = Effect(host)) e->DoGraphics();
}

void MouseDown(CVeST* host, double x, double y, int buttons)
{
    if (TVexl* e = Effect(host)) PressMouse(*e, x, y, buttons);
}

void MouseUp(CVeST* host, double x, double y, int)
{
    if (TVexl* e = Effect(host)) ReleaseMouse(*e, x, y);
}

void MouseMove(CVeST* host, double x, double y, int)
{
    if (TVexl* e = Effect(host)) MoveMouse(*e, x, y);
}

int32_t GetVendorVersion(CVeST* host)
{
    TVexl* e = Effect(host);
    return e ? e->vendorVersion : 0;
}

int32_t GetVendorString(CVeST* host, char* text)
{
    TVexl* e = Effect(host);
    if (!e) return 0;
    CopyText(text, e->vendorString, text_limit::kVendorString);
    return 1;
}

int32_t GetProductString(CVeST* host, char* text)
{
    TVexl* e = Effect(host);
    if (!e) return 0;
    CopyText(text, e->productString, text_limit::kProductString);
    return 1;
}

int32_t GetEffectName(CVeST* host, char* text)
{
    TVexl* e = Effect(host);
    if (!e) return 0;
    CopyText(text, e->effectName, text_limit::kEffectName);
    return 1;
}

int32_t GetProgramName(CVeST* host, char* text)
{
    TVexl* e = Effect(host);
    if (!e) return 0;
    CopyText(text, e->programName, text_limit::kProgramName);
    return 1;
}

void SetProgramName(CVeST* host, const char* text)
{
    TVexl* e = Effect(host);
    if (e && text) e->programName = text;
}

int32_t GetProgramNameIndexed(CVeST*, int32_t, int32_t, char*) { return 0; }

float GetParameter(CVeST* host, int32_t index)
{
    TVexl* e = Effect(host);
    return e ? e->GetParameterNormalized(index) : 0.0f;
}

void SetParameter(CVeST* host, int32_t index, double value)
{
    if (TVexl* e = Effect(host)) e->SetParameterNormalized(index, value);
}

void GetParameterName(CVeST* host, int32_t index, char* text)
{
    TVexl* e = Effect(host);
    CopyText(text, e ? e->ParameterName(index) : std::string(), text_limit::kParameterText);
}

void GetParameterLabel(CVeST* host, int32_t index, char* text)
{
    TVexl* e = Effect(host);
    CopyText(text, e ? e->ParameterLabel(index) : std::string(), text_limit::kParameterText);
}

void GetParameterDisplay(CVeST* host, int32_t index, char* text)
{
    TVexl* e = Effect(host);
    CopyText(text, e ? e->ParameterDisplay(index) : std::string(), text_limit::kParameterText);
}

template <typename Sample> void Process(CVeST* host, Sample** inputs, Sample** outputs, int32_t frames)
{
    if (TVexl* e = Effect(host)) ProcessFrames(*e, host->getAeffect()->numInputs, inputs, outputs, frames);
}

void ProcessReplacing(CVeST* host, float** inputs, float** outputs, int32_t frames)
{
    Process(host, inputs, outputs, frames);
}

void ProcessDoubleReplacing(CVeST* host, double** inputs, double** outputs, int32_t frames)
{
    Process(host, inputs, outputs, frames);
}

int32_t GetChunk(CVeST* host, void** data, bool isPreset)
{
    TVexl* e = Effect(host);
    return e ? e->GetState(data, isPreset) : 0;
}

int32_t SetChunk(CVeST* host, void* data, int32_t byteSize, bool isPreset)
{
    TVexl* e = Effect(host);
    return e ? e->SetState(data, byteSize, isPreset) : 0;
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
