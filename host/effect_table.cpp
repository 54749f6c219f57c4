#include "host/effect_table.h"

#include <algorithm>

#include "host/mouse_mask.h"
#include "host/text_copy.h"
#include "host/vest.h"
#include "host/vest_editor.h"
#include "runtime/fp_mode.h"
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
    if (!host->getEditor()) host->setEditor(new CVeSTEditor(host, 890, 550));
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

void RaiseRedrawRate(TVexl* e) { e->redrawRate = std::max(static_cast<double>(e->redrawRate), 30.0); }

void MouseDown(CVeST* host, double x, double y, int buttons)
{
    TVexl* e = Effect(host);
    if (!e) return;
    e->mouseX = x;
    e->mouseY = y;
    e->mouseButtons = ToolkitButtonsToMask(buttons);
    RaiseRedrawRate(e);
}

void MouseUp(CVeST* host, double x, double y, int)
{
    TVexl* e = Effect(host);
    if (!e) return;
    e->mouseX = x;
    e->mouseY = y;
    e->mouseButtons = 0;
    RaiseRedrawRate(e);
}

void MouseMove(CVeST* host, double x, double y, int)
{
    TVexl* e = Effect(host);
    if (!e) return;
    e->mouseX = x;
    e->mouseY = y;
    RaiseRedrawRate(e);
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

// One frame at a time: the inputs of a frame are read before its outputs are written,
// so hosts may process in place.
template <typename Sample> void Process(CVeST* host, Sample** inputs, Sample** outputs, int32_t frames)
{
    TVexl* e = Effect(host);
    if (!e) return;
    ScopedDenormalGuard denormals;
    e->DoBlock();
    if (frames <= 0 || !inputs || !outputs) return;
    const int n = host->getAeffect()->numInputs;
    double* values = e->sampleValues;
    if (n == 2) {
        const Sample* in0 = inputs[0];
        const Sample* in1 = inputs[1];
        Sample* out0 = outputs[0];
        Sample* out1 = outputs[1];
        if (!in0 || !in1 || !out0 || !out1) return;
        for (int32_t j = 0; j < frames; ++j) {
            values[0] = static_cast<double>(in0[j]);
            values[1] = static_cast<double>(in1[j]);
            e->DoSample();
            out0[j] = static_cast<Sample>(values[0]);
            out1[j] = static_cast<Sample>(values[1]);
        }
        return;
    }
    const int channels = std::clamp(n, 0, kSampleValueCount);
    for (int c = 0; c < channels; ++c)
        if (!inputs[c] || !outputs[c]) return;
    for (int32_t j = 0; j < frames; ++j) {
        for (int c = channels - 1; c >= 0; --c)
            values[c] = static_cast<double>(inputs[c][j]);
        e->DoSample();
        for (int c = channels - 1; c >= 0; --c)
            outputs[c][j] = static_cast<Sample>(values[c]);
    }
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
