#include "vst2/audio_effect.h"

#include <cstring>

bool AEffEditor::getRect(ERect** rect)
{
    if (!rect) return false;
    *rect = &rect_;
    return true;
}

bool AEffEditor::open(void* parentWindow)
{
    systemWindow_ = parentWindow;
    return false;
}

void AEffEditor::close() { systemWindow_ = nullptr; }

AudioEffect::AudioEffect(audioMasterCallback master, int32_t programs, int32_t params)
    : audioMaster(master), numPrograms(programs), numParams(params)
{
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = 0;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = FourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingClass;
    cEffect.processDoubleReplacing = processDoubleReplacingClass;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::canProcessReplacing(bool state)
{
    if (state)
        cEffect.flags |= effFlagsCanReplacing;
    else
        cEffect.flags &= ~effFlagsCanReplacing;
}

void AudioEffect::canDoubleReplacing(bool state)
{
    if (state)
        cEffect.flags |= effFlagsCanDoubleReplacing;
    else
        cEffect.flags &= ~effFlagsCanDoubleReplacing;
}

void AudioEffect::programsAreChunks(bool state)
{
    if (state)
        cEffect.flags |= effFlagsProgramChunks;
    else
        cEffect.flags &= ~effFlagsProgramChunks;
}

void AudioEffect::setInitialDelay(int32_t delay)
{
    std::atomic_ref<int32_t>(cEffect.initialDelay).store(delay, std::memory_order_relaxed);
}

int32_t AudioEffect::initialDelay() const
{
    return std::atomic_ref<int32_t>(const_cast<int32_t&>(cEffect.initialDelay)).load(std::memory_order_relaxed);
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    if (editor)
        cEffect.flags |= effFlagsHasEditor;
    else
        cEffect.flags &= ~effFlagsHasEditor;
}

void AudioEffect::setProgram(int32_t program)
{
    // Signed comparison: a negative program number is as foreign as one past the end.
    if (program >= 0 && program < numPrograms) curProgram = program;
}

void AudioEffect::getProgramName(char* name)
{
    if (name) *name = 0;
}

void AudioEffect::getParameterLabel(int32_t, char* label)
{
    if (label) *label = 0;
}

void AudioEffect::getParameterDisplay(int32_t, char* text)
{
    if (text) *text = 0;
}

void AudioEffect::getParameterName(int32_t, char* text)
{
    if (text) *text = 0;
}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        setProgram(static_cast<int32_t>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        if (ptr) setProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetProgramName:
        if (ptr) getProgramName(static_cast<char*>(ptr));
        return 0;
    case effGetParamLabel:
        if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamDisplay:
        if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
        return 0;
    case effGetParamName:
        if (ptr) getParameterName(index, static_cast<char*>(ptr));
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        if (editor && ptr) return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        if (editor) return editor->open(ptr) ? 1 : 0;
        return 0;
    case effEditClose:
        if (editor) editor->close();
        return 0;
    case effEditIdle:
        if (editor) editor->idle();
        return 0;
    case effIdentify:
        return FourCharCode('N', 'v', 'E', 'f');
    case effGetChunk:
        if (!ptr) return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}

intptr_t AudioEffect::dispatchEffectClass(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                          float opt)
{
    if (!e || !e->object) return 0;
    auto* self = static_cast<AudioEffect*>(e->object);
    try {
        if (opcode == effClose) {
            self->dispatcher(opcode, index, value, ptr, opt);
            delete self;
            return 1;
        }
        return self->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

float AudioEffect::getParameterClass(AEffect* e, int32_t index)
{
    if (!e || !e->object) return 0.0f;
    try {
        return static_cast<AudioEffect*>(e->object)->getParameter(index);
    } catch (...) {
        return 0.0f;
    }
}

void AudioEffect::setParameterClass(AEffect* e, int32_t index, float value)
{
    if (!e || !e->object) return;
    try {
        static_cast<AudioEffect*>(e->object)->setParameter(index, value);
    } catch (...) {
    }
}

void AudioEffect::processClass(AEffect*, float**, float**, int32_t)
{
    // The old accumulating call is not offered: hosts use the replacing entries.
}

void AudioEffect::processReplacingClass(AEffect* e, float** inputs, float** outputs, int32_t frames)
{
    if (!e || !e->object) return;
    try {
        static_cast<AudioEffect*>(e->object)->processReplacing(inputs, outputs, frames);
    } catch (...) {
    }
}

void AudioEffect::processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs, int32_t frames)
{
    if (!e || !e->object) return;
    try {
        static_cast<AudioEffect*>(e->object)->processDoubleReplacing(inputs, outputs, frames);
    } catch (...) {
    }
}

namespace {
// Hosts pass the key modifiers in the float argument; any float must convert safely.
int32_t ModifiersFrom(float opt)
{
    if (!(opt > -2147483648.0f && opt < 2147483648.0f)) return 0;
    return static_cast<int32_t>(opt);
}
} // namespace

intptr_t AudioEffectX::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    if (!audioMaster) return 0;
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

intptr_t AudioEffectX::hostVersion() { return callHost(audioMasterVersion); }

void AudioEffectX::resume()
{
    static char receiveMidi[] = "receiveVstMidiEvent";
    if (canDo(receiveMidi) == 1) callHost(audioMasterWantMidi, 0, 1);
}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effGetProgramNameIndexed:
        if (!ptr) return 0;
        return getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return 0;
    case effGetEffectName:
        if (!ptr) return 0;
        return getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        if (!ptr) return 0;
        return getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        if (!ptr) return 0;
        return getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effCanDo:
        if (!ptr) return -1;
        return canDo(static_cast<char*>(ptr));
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetVstVersion:
        return getVstVersion();
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, ptr);
    case effGetSpeakerArrangement:
        if (value) *reinterpret_cast<VstSpeakerArrangement**>(value) = nullptr;
        if (ptr) *static_cast<VstSpeakerArrangement**>(ptr) = nullptr;
        return 0;
    case effSetTotalSampleToProcess:
        return value;
    case effEditKeyDown:
        if (editor) return editor->onKeyDown(index, static_cast<int32_t>(value), ModifiersFrom(opt)) ? 1 : 0;
        return 0;
    case effEditKeyUp:
        if (editor) return editor->onKeyUp(index, static_cast<int32_t>(value), ModifiersFrom(opt)) ? 1 : 0;
        return 0;
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effSetEditKnobMode:
        if (editor) return editor->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
        return 0;
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
